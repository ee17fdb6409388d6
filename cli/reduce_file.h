// One data file brought to a reduction as the command line reads it: read
// once, its channel chosen from its head (the columns given, or the one the
// data choose among those its names offer), its table loaded, with the
// screen the dialogue would have shown up to the plot question. The command
// line's series and the Python module both start a reduction here.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "cli/column_choice.h"
#include "cli/reference.h"
#include "common/records.h"
#include "common/warnings.h"
#include "driver/request.h"
#include "output/xdi_files.h"

namespace xas {

struct Reduction;

// How a file's channel is read: the options -c, -f, -n and --dspacing, and
// whether its reference channel is wanted (--align, --reference).
struct FileChoice {
  std::vector<ColumnRef> columns;       // 2 items (E,MU) or 3 (E,I0,I1); empty: not given
  std::vector<ColumnRef> fluorescence;  // 3 items (E,IF,I0); empty: not given
  int ncol = 0;                         // 0: counted on the table's first line
  double dspacing = 0.0;                // above 0: the energy column is a crystal angle
  bool reference = false;               // also the reference channel's edge (--align)
  std::vector<ColumnRef> reference_columns;  // --reference; empty: by the names
};

// A data file loaded for its reduction.
struct LoadedFile {
  std::string path;      // as given
  Request request;       // itop 0: the plot answer is the writer's
  std::string channel;   // the channel for the summary ("ln(i0/itrans)", "col 2")
  std::string words;     // the channel in words: "ln(I0/I1), I0 column 3 'i0', ..."
  std::string log_note;  // the line BASE.log ends with: the channel in words, the format
  std::string screen;    // the dialogue's screen up to the plot question
  std::string element;   // the absorbing element and its edge, when the head names them
  std::string edge;
  double mono_spacing = 0.0;  // the crystal's spacing the head gives (Angstrom)
  dev_t device = 0;      // the data file, which no result may replace
  ino_t inode = 0;
  std::vector<std::string> choice_warnings;  // of the channel choice
  Warnings input;        // about how the table was read
  std::string in_channel;  // " (in the channel X)" when the file's names chose it
  ReferenceEdge reference;  // when asked for

  // A refusal, with what may explain it: the input warnings, the channel.
  std::string refusal(const std::string& why) const { return input.refusal(why + in_channel); }
  // The warnings of the channel choice and of the reading, once the
  // reduction stands, and no more.
  std::vector<std::string> read_warnings();
  // Every warning of a reduction that stood, in order: the channel choice,
  // the reading, the reduction's own.
  std::vector<std::string> warnings(const Reduction& reduction);
};

// The head of the file's XDI results: its name, its channel, the element.
XdiHead xdi_head(const LoadedFile& file);

// Reads `path` and loads its channel into `data` (energies in eV). Fails with
// the one-line refusal, in the terms of the options, when the file is no
// spectrum, no channel can be read or its points cannot carry a reduction.
bool load_file(const std::string& path, const FileChoice& choice, LoadedFile* file, Data& data,
               std::string* err);

// A spectrum given as numbers (energies in eV, or keV as the reader detects;
// the merge of a series, the library's arrays) loaded as a two-column table
// called `name` would be, with the screen the dialogue would show; `words`
// says what it is, for BASE.log.
void load_points_file(const std::string& name, const std::vector<float>& energy,
                      const std::vector<float>& mu, const std::string& words, LoadedFile* file,
                      Data& data);

}  // namespace xas
