// Result files: their names, derived from the data file's name, their units,
// and the opening that creates a file or replaces an older one.
#pragma once

#include <string>

#include "driver/records.h"

namespace xas {

class Console;
class ResultFile;
struct Run;

// One kind of result file: extension, unit number and screen announcement.
struct ResultKind {
  const char* extension;
  int unit;
  const char* announcement;
  bool topdrawer;  // written only when TopDrawer scripts are asked for
};

inline constexpr ResultKind kAbsorptionFile{".gabs", 98, "  >>> opening gnuplot file for absorption: ", false};
inline constexpr ResultKind kNoisePlotFile{".topn", 82, "  >>> opening Topdrawer file for noise est.: ", true};
inline constexpr ResultKind kFourierFile{".gfou", 97, "  >>> opening gnuplot file for Fourier transform: ", false};
inline constexpr ResultKind kExafsFile{".gexa", 95, "  >>> opening gnuplot file for EXAFS extraction: ", false};
inline constexpr ResultKind kAbsorptionPlotFile{".topa", 83, "  >>> opening Topdrawer file for Abs+der: ", true};
inline constexpr ResultKind kExafsPlotFile{".tope", 86, "  >>> opening Topdrawer file for Exafs extr.: ", true};
inline constexpr ResultKind kFourierPlotFile{".topf", 87, "  >>> opening Topdrawer file for FT: ", true};

// The longest base name that keeps every five-character extension whole.
inline constexpr int kMaxBaseName = 85;

// The result base name of a data file name: without its directory part and
// without its last extension. A "." that stands only in the directory part
// leaves the file name whole; a base name longer than 85 characters is
// shortened to 85. Returns the length.
int base_name(const Name90& input, Name90* base);

// nome: derives the base name and prints the input and base names.
int nome(const Name90& input, Name90* base, Console& console);

// The base name followed directly by an extension, cut to 90 characters.
Name90 result_name(const Name90& base, int length, const char* extension);

// open: connects a result file to a unit: creates it new, or replaces an
// older file of that name with a warning. Fails only when neither works.
bool open(Run& run, int unit, const Name90& name, std::string* err);

// The result file on a unit.
ResultFile& result_unit(Run& run, int unit);

// Derives the base name (nome) and refuses a run in which a result file would
// replace the data file itself.
bool name_results(Run& run, std::string* err);

// Writes out and closes every result file; fails, naming the first file,
// when a write did not succeed (a full disk), so that no run reports success
// over an incomplete file.
bool close_results(Run& run, std::string* err);

// Sets fileout to the base name plus the kind's extension, announces it and
// opens it on its unit.
bool start_result_file(Run& run, const ResultKind& kind, std::string* err);

}  // namespace xas
