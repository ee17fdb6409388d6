#include "terminal/line_reader.h"

#include <cerrno>

namespace xas {

// The line buffer is not cleared: only the part a line fills is ever touched.
LineReader::LineReader(std::FILE* in, std::size_t limit)
    : in_(in), limit_(limit), line_(new char[limit]) {}

// Byte by byte through the stream's own buffer, so that an answer typed on a
// terminal is taken as soon as its line is complete.
int LineReader::get() {
  if (eof_) return EOF;
  int c = getc_unlocked(in_);
  if (c == EOF) {
    eof_ = true;
    if (std::ferror(in_)) error_ = errno != 0 ? errno : EIO;
  }
  return c;
}

bool LineReader::next(std::string_view* line) {
  int c = get();
  if (skip_lf_) {
    skip_lf_ = false;
    if (c == '\n') c = get();
  }
  if (c == EOF) return false;
  std::size_t len = 0;
  cut_ = false;
  while (c != EOF && c != '\n' && c != '\r') {
    if (len < limit_)
      line_[len++] = static_cast<char>(c);
    else
      cut_ = true;
    c = get();
  }
  if (c == '\r') skip_lf_ = true;
  ++lines_read_;
  *line = std::string_view(line_.get(), len);
  return true;
}

}  // namespace xas
