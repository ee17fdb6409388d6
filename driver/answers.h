// The user's answers on standard input. Each question reads from the start of
// a new line; whatever follows the last value it needs on its last line is
// discarded.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "driver/line_editor.h"
#include "driver/line_reader.h"
#include "driver/records.h"

namespace xas {

class Answers {
 public:
  // Reads from `in`; `screen` (may be null) is flushed before every read, so
  // that each question is shown before the program waits for its answer.
  // Typed at a terminal, the answers are read with line editing.
  explicit Answers(std::FILE* in, std::FILE* screen = nullptr);

  // One whole line as text. Fails at the end of input and on a line longer
  // than the reader holds.
  bool read_line(std::string* text, std::string_view question, std::string* err);
  // `count` integers by the free-form rules, continuing over lines as needed.
  bool read_integers(int* targets, int count, std::string_view question, std::string* err);

 private:
  // The error text: which answer was being read, then the reason.
  std::string failure(std::string_view question, std::string_view reason, bool at_end) const;
  std::string too_long(std::string_view question) const;
  // The next answer line; `cut` tells that it was longer than an answer holds.
  bool next_line(std::string_view* line, bool* cut);
  long lines_read() const;
  friend class AnswerSource;

  LineReader lines_;
  std::FILE* screen_;
  std::unique_ptr<LineEditor> editor_;  // null: plain lines (piped answers)
  std::string edited_;                  // the last line the editor gave

};

}  // namespace xas
