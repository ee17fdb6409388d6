// The lines of a text held in memory. A line ends at a line feed, a carriage
// return, or a carriage return followed by a line feed; the end-of-line
// characters are not part of the line, and a last line without one is a line.
#pragma once

#include <cstddef>
#include <string_view>

namespace xas {

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}
  // The next line; false when the text is used up.
  bool next(std::string_view* line) {
    if (at_ >= text_.size()) return false;
    std::size_t end = at_;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
    *line = text_.substr(at_, end - at_);
    if (end < text_.size() && text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n')
      ++end;
    at_ = end + 1;
    ++number_;
    return true;
  }
  // The number of the line last returned, from 1.
  long number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  long number_ = 0;
};

}  // namespace xas
