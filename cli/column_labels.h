// Column labels of a data file, for a reduction from the command line.
//
// A data file's head, up to and including its first data line, tells how many
// numbers a line holds and, often, what they are: an XDI file names its
// columns in "# Column.N: name [units]" fields, and many tables carry a last
// comment line with one word per column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xas {


// What the head of a data file tells.
struct FileHead {
  // labels[i] names column i + 1; "" for a column without a name (an XDI file
  // need not name every column). Empty when the file names no columns. A wide
  // file may name columns beyond the 64 that are read.
  std::vector<std::string> labels;
  // Numbers on the first data line (at most 64): the first line that is not a
  // comment and yields at least one number. 0: the file has no data line.
  int numbers = 0;
};

// Reads the head of a data file's text, line by line as the data reader
// does. Labels come from the XDI fields
// "# Column.N: name [units]" (N from 1, in a file whose first line is the XDI
// version line, before its field-end or header-end line); otherwise
// from the last line before the first data line that is a comment or a header
// (not blank, no number), when it holds exactly one word per number of the
// first data line. Words are separated by blanks or tabs; the leading "#"
// characters and blanks of the line are not part of them.
FileHead scan_head(std::string_view text);

}  // namespace xas
