// The user's answers. The dialogue asks its questions through an
// AnswerSource: the answers typed or piped on standard input (Answers), or
// text in memory as the tests and fuzzers give it.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "terminal/line_editor.h"
#include "terminal/line_reader.h"

namespace xas {

class TextOut;

class AnswerSource {
 public:
  virtual ~AnswerSource() = default;
  // The answer to a text question: one whole line.
  virtual bool read_line(std::string* text, std::string_view question, std::string* err) = 0;
  // `count` integers for a question.
  virtual bool read_integers(int* targets, int count, std::string_view question,
                             std::string* err) = 0;
};

// Standard input. Each question reads from the start of a new line; whatever
// follows the last value it needs on its last line is discarded.
class Answers : public AnswerSource {
 public:
  // Reads from `in`; `screen` (may be null) is flushed before every read, so
  // that each question is shown before the program waits for its answer.
  // Typed at a terminal, the answers are read with line editing.
  explicit Answers(std::FILE* in, TextOut* screen = nullptr);

  // One whole line as text. Fails at the end of input and on a line longer
  // than the reader holds.
  bool read_line(std::string* text, std::string_view question, std::string* err) override;
  // `count` integers by the free-form rules, continuing over lines as needed.
  bool read_integers(int* targets, int count, std::string_view question,
                     std::string* err) override;

 private:
  // The error text: which answer was being read, then the reason.
  std::string failure(std::string_view question, std::string_view reason, bool at_end) const;
  std::string too_long(std::string_view question) const;
  // The next answer line; `cut` tells that it was longer than an answer holds.
  bool next_line(std::string_view* line, bool* cut);
  long lines_read() const;
  friend class AnswerLines;

  LineReader lines_;
  TextOut* screen_;
  std::unique_ptr<LineEditor> editor_;  // null: plain lines (piped answers)
  std::string edited_;                  // the last line the editor gave
};

}  // namespace xas
