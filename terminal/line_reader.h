// Reads a text stream line by line. A line ends at a line feed, a carriage
// return, or a carriage return followed by a line feed; the end-of-line
// characters are not part of the line. A line longer than the reader's limit
// keeps its first `limit` characters and the rest is dropped.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <memory>

namespace xas {

class LineReader {
 public:
  LineReader(std::FILE* in, std::size_t limit);

  // The next line, valid until the next call; false at end of input or on a
  // read error (a final line without its line feed is still returned).
  bool next(std::string_view* line);
  // Lines returned so far.
  long lines_read() const { return lines_read_; }
  // The last line returned was longer than the limit and has been cut.
  bool cut() const { return cut_; }
  // The input ended on a read error rather than at its end; error() is its errno.
  bool failed() const { return error_ != 0; }
  int error() const { return error_; }

 private:
  int get();  // next byte or EOF
  std::FILE* in_;
  std::size_t limit_;
  std::unique_ptr<char[]> line_;  // the current line, at most limit_ characters
  bool skip_lf_ = false;     // the last line ended with a carriage return
  bool eof_ = false;
  bool cut_ = false;
  int error_ = 0;
  long lines_read_ = 0;
};

}  // namespace xas
