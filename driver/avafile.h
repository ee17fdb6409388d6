// The data reader: asks which file holds the spectrum and how its columns are
// laid out, then loads the table into `data` (energies in eV).
#pragma once

#include <sys/types.h>

#include <string>

#include "common/records.h"

namespace xas {

class AnswerSource;
class TextOut;
class Warnings;

// Largest number of numbers the dialogue takes from one data line, and the
// width of a line it reads.
inline constexpr int kMaxColumns = 12;
inline constexpr int kDataLineWidth = 500;
// The command line reads wider tables: up to 64 numbers, on lines of up to
// this many characters (room for 64 numbers of 60 characters each).
inline constexpr int kWideMaxColumns = 64;
inline constexpr int kWideLineWidth = 4096;

// How the answers are taken: the dialogue's rules, or the command line's.
struct ReadingRules {
  int max_columns = kMaxColumns;  // numbers a line may be asked for
  bool fallback = true;           // a name that cannot be opened leads to "fort.30"
  bool name_limit = true;         // the name answer holds at most 90 characters
};

// The data file that was read.
struct DataFile {
  Name90 file;         // its name as the results show it: the answer, "ftn30" or "fort.30"
  std::string path;    // the path that was opened
  dev_t device = 0;    // its identity, so that no result file can replace it
  ino_t inode = 0;
};

// The 90 characters the results show of a data file's path: the path when it
// fits, else its own name (or as much of that as fits).
Name90 shown_name(const std::string& path);

// avafile: the dialogue and the loading. Fails on a malformed or missing
// answer, an answer the table has no room for, a data file that cannot be
// read as a table, or when neither the named file nor the fallback can be
// opened; warns of a fallback file and of lines holding more numbers than
// asked for.
bool avafile(AnswerSource& answers, const ReadingRules& rules, TextOut& screen,
             Warnings& warnings, DataFile& file, Data& data, std::string* err);

}  // namespace xas
