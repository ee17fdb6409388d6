// The data reader: asks which file holds the spectrum and how its columns are
// laid out, then loads the table into `data` (energies in eV).
#pragma once

#include <string>

namespace xas {

struct Run;

// Largest number of numbers taken from one data line, and the width of a line.
inline constexpr int kMaxColumns = 12;
inline constexpr int kDataLineWidth = 500;

// avafile: the dialogue and the loading. Fails on a malformed or missing
// answer, an answer the table has no room for, or when neither the named file
// nor the fallback "fort.30" can be opened.
bool avafile(Run& run, std::string* err);

}  // namespace xas
