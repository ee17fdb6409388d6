// Data files, read once and whole into memory: every reader of the program
// (the table, the column names of its head, the format of its header) works
// on that one copy, so that a pipe or a process substitution reads like a
// file. Before anything is read the file is checked: a device, a directory,
// a FIFO with no writer and the program's own answers are not data files.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace xas {

struct DataText {
  std::string path;  // as it was opened
  std::string text;  // every byte of the file
  dev_t device = 0;  // its identity, so that no result file can replace it
  ino_t inode = 0;
};

enum class DataRead {
  read,         // *out holds the file
  cannot_open,  // the file cannot be opened (or is a directory): *err is the reason
  refused,      // it opened but is no data file, or reading it failed: *err says why
};

// The largest data file read.
inline constexpr std::size_t kMaxDataFile = std::size_t{1} << 30;

// Reads `path` whole. `answers_fd` is the descriptor the answers are read
// from (-1: none): a data file that is it is refused.
DataRead read_data_file(const std::string& path, int answers_fd, DataText* out, std::string* err);

}  // namespace xas
