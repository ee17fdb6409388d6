// What a reduction is asked to do: which file, which of its columns hold the
// spectrum and how the absorption is formed from them, how the file is read,
// and which result files are wanted. The dialogue builds it from its answers,
// the command line from its options; both give the same bytes for the same
// request.
#pragma once

#include <string>
#include <vector>

#include "common/records.h"

namespace xas {

// The most numbers the dialogue takes from one data line, and the width of a
// line it reads.
inline constexpr int kMaxColumns = 12;
inline constexpr int kDataLineWidth = 500;
// The command line reads wider tables: up to this many numbers a line.
inline constexpr int kWideMaxColumns = 1024;

// How the absorption is formed from the numbers of a line.
enum class Mode {
  absorption,    // one column holds it
  intensities,   // ln(I0/I1)
  fluorescence,  // IF/I0
};

// How the data file is read.
struct ReadingRules {
  int max_columns = kMaxColumns;  // numbers a line may be asked for
  int line_width = kDataLineWidth;  // characters of a line parsed; 0: the whole line
  int max_points = kDialoguePoints;  // points taken; 0: every one
  bool fallback = true;  // a name that cannot be opened leads to "fort.30"
  bool name_limit = true;  // the name answer holds at most 90 characters
};

// The dialogue's rules, and the command line's (and the library's).
inline ReadingRules dialogue_rules() { return ReadingRules(); }
inline ReadingRules command_line_rules() { return ReadingRules{kWideMaxColumns, 0, 0, false, false}; }

struct Request {
  std::string path;  // the data file to read
  Name90 name;       // its name as the screen and the plot titles show it
  bool blank_answer = false;  // the dialogue's name answer was blank: "ftn30" is read
  // The answer to "Number of columns?": numbers read from each data line.
  // Below 3 the energy is column 1 and the absorption column 2.
  int ncol = 0;
  Mode mode = Mode::absorption;
  // Column numbers, from 1: the energy, and what the mode reads.
  int energy = 1;
  int absorption = 2;    // Mode::absorption
  int i0 = 0;            // Mode::intensities and Mode::fluorescence
  int i1 = 0;            // Mode::intensities
  int fluorescence = 0;  // Mode::fluorescence
  int itop = 0;          // the plot answer: 1 also writes the TopDrawer scripts
  ReadingRules rules;

  // Beyond the dialogue: what the command line reads from beamline files.
  long first_line = 1;  // the table starts at this line; the lines before are its header
  long last_line = 0;   // when above 0: the table ends at this line (a file of several scans)
  // When above 0: the energy column holds the monochromator angle in degrees
  // of a crystal of this lattice spacing (Angstrom), and the energy is
  // 12398.42 eV Angstrom / (2 D sin(angle)).
  double dspacing = 0.0;
  std::vector<int> more_fluorescence;  // columns summed with `fluorescence`
  std::string channel;    // the channel in words ("ln(i0/itrans)"); "" in the dialogue
  std::string ncol_said;  // how ncol was given, for messages; "" in the dialogue
};

// The constant that turns a monochromator angle into an energy: E (eV) =
// kAngleToEnergy / (2 D sin(angle)) for a lattice spacing D in Angstrom.
inline constexpr double kAngleToEnergy = 12398.42;

// The 90 characters the results show of a data file's path: the path when it
// fits, else its own name (or as much of that as fits).
Name90 shown_name(const std::string& path);

}  // namespace xas
