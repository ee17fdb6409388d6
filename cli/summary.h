// What the command line prints: the summary table on standard output, one
// row per FILE in the order given, and the progress line on the error stream
// when it is a terminal.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace xas {

struct Reduction;

// What one FILE came to.
struct FileOutcome {
  std::string path;
  bool refused = false;
  std::string refusal;  // why, when refused
  std::string channel;  // the channel reduced: "ln(i0/itrans)", "col 2"
  int points = 0;
  float e0 = 0, slope = 0, jump = 0, ewl = 0, hwl = 0;  // as the screen report prints them
  bool averaged = false;  // an average noise was found
  float noise = 0;
  std::vector<std::string> warnings;  // of the reduction, then of its pictures
  std::vector<std::string> notes;     // what it was asked otherwise than specified, what it is
  bool shifted = false;  // --align moved its energies
  float shift = 0;       // by this many eV
};

// Sets the report's values of a reduction that stood: the points, E0,
// slope, jump, EWL, HWL and the average noise.
void set_report_values(const Reduction& reduction, FileOutcome* outcome);

// The header line of the summary, without its line feed; `shift`: with the
// column shift_eV (--align) before the message.
std::string summary_header(bool shift = false);

// The row of one FILE, without its line feed; no tab or line end inside a
// cell breaks the table.
std::string summary_row(const FileOutcome& outcome, bool shift = false);

// The progress line on a terminal: done/total, refused so far, elapsed time.
class Progress {
 public:
  Progress(bool shown, int total);
  // Drawn at most ten times a second, and once more at the end.
  void draw(int done, int refused);
  // A message on its own line, the progress line redrawn after it.
  void say(const std::string& text);
  void end();

 private:
  using Clock = std::chrono::steady_clock;
  bool shown_;
  int total_;
  Clock::time_point start_;
  Clock::time_point last_;
  bool drawn_ = false;
};

}  // namespace xas
