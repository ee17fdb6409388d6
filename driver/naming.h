// Result files: their names, derived from the data file's name, and their
// announcement and opening on the screen.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/records.h"

namespace xas {

class ResultSet;
class TextOut;

// One kind of result file: extension and screen announcement.
struct ResultKind {
  const char* extension;
  const char* announcement;
  bool topdrawer;  // written only when TopDrawer scripts are asked for
};

inline constexpr ResultKind kAbsorptionFile{".gabs", "  >>> opening gnuplot file for absorption: ", false};
inline constexpr ResultKind kNoisePlotFile{".topn", "  >>> opening Topdrawer file for noise est.: ", true};
inline constexpr ResultKind kFourierFile{".gfou", "  >>> opening gnuplot file for Fourier transform: ", false};
inline constexpr ResultKind kExafsFile{".gexa", "  >>> opening gnuplot file for EXAFS extraction: ", false};
inline constexpr ResultKind kAbsorptionPlotFile{".topa", "  >>> opening Topdrawer file for Abs+der: ", true};
inline constexpr ResultKind kExafsPlotFile{".tope", "  >>> opening Topdrawer file for Exafs extr.: ", true};
inline constexpr ResultKind kFourierPlotFile{".topf", "  >>> opening Topdrawer file for FT: ", true};

// Every kind, in the order a run opens them.
inline constexpr const ResultKind* kResultKinds[] = {
    &kAbsorptionFile, &kNoisePlotFile,      &kFourierFile,    &kExafsFile,
    &kAbsorptionPlotFile, &kExafsPlotFile, &kFourierPlotFile};

// The longest base name the dialogue derives: it keeps every five-character
// extension whole within 90 characters.
inline constexpr std::size_t kMaxBaseName = 85;

// The result base name of a data file name: without its directory part and
// without its last extension, a name's trailing blanks aside. A "." that
// stands only in the directory part leaves the file name whole. A base name
// longer than `limit` is cut to `limit`.
std::string base_name(std::string_view name, std::size_t limit = kMaxBaseName);

// nome: prints the input name and the base name as 90-character fields.
void nome(const Name90& input, const std::string& base, TextOut& screen);

// Refuses a run in which a result file would replace the data file itself
// (device, inode), or whose result name is taken by something that is not a
// file: every name of `names`.
bool check_result_names(const ResultSet& results, const std::vector<std::string>& names,
                        dev_t device, ino_t inode, std::string* err);

// The screen lines of a result file's opening: an empty line, the
// announcement with the name as a 90-character field, and whether the file
// is created or replaces an older one.
void announce_result_file(const ResultKind& kind, const std::string& base, bool exists,
                          TextOut& screen);

}  // namespace xas
