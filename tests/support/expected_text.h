// The text the tests expect on the screen and in the result files: fields and
// records worked out here from the format rules, and the lines the program
// prints in several stages.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace xas::test {

// `s` right-aligned in `width` columns; a longer `s` is left whole.
std::string right(const std::string& s, std::size_t width);

// `s` filled with blanks to `width` columns (by default the 90 of a file
// name). A longer `s` is a mistake in the test: it throws std::length_error.
std::string padded(const std::string& s, std::size_t width = 90);

// An integer as a free-form item: right-aligned in 11 columns.
std::string ff_int(int v);

// A free-form real: fixed point with nine significant digits in 12 columns
// plus 4 blanks for 0 and 0.1 <= |v| < 1e9, else d.dddddddd E+xx in 16.
std::string ff_real(float v);

// A free-form record of two reals.
std::string two_reals(float a, float b);

// Fw.d: d decimals correctly rounded, "-" for every negative value, the "0"
// before the point only when there is room, asterisks when it does not fit.
std::string fixed(float v, int w, int d);

// The 16 characters the program's own free-form writer puts for `v`, for the
// expected lines of stages whose subject is not the number format.
std::string program_real(float v);

// The data reader's confirmation of the file name, and its count of points
// (" >>> ", the count and "  DATA ENERGY POINTS!" as one free-form record).
std::string file_name_line(const std::string& name);
std::string count_line(int n);

// Every result file, in the order a run that also writes the TopDrawer
// scripts opens them, with the screen text that announces its opening.
struct ResultFileKind {
  const char* extension;
  const char* announcement;
};

inline constexpr ResultFileKind kResultFileKinds[] = {
    {".gabs", "  >>> opening gnuplot file for absorption: "},
    {".topn", "  >>> opening Topdrawer file for noise est.: "},
    {".gfou", "  >>> opening gnuplot file for Fourier transform: "},
    {".gexa", "  >>> opening gnuplot file for EXAFS extraction: "},
    {".topa", "  >>> opening Topdrawer file for Abs+der: "},
    {".tope", "  >>> opening Topdrawer file for Exafs extr.: "},
    {".topf", "  >>> opening Topdrawer file for FT: "},
};

// The extensions alone, in the same order.
inline constexpr std::array<const char*, std::size(kResultFileKinds)> kResultExtensions = [] {
  std::array<const char*, std::size(kResultFileKinds)> extensions{};
  for (std::size_t i = 0; i < extensions.size(); ++i) extensions[i] = kResultFileKinds[i].extension;
  return extensions;
}();

}  // namespace xas::test
