// The user's answers on standard input. Each question reads from the start of
// a new line; whatever follows the last value it needs on its last line is
// discarded.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "driver/line_reader.h"
#include "driver/records.h"

namespace xas {

class Answers {
 public:
  explicit Answers(std::FILE* in);

  // One line as 90-character text: cut or blank-padded.
  bool read_text(Name90* text, std::string_view question, std::string* err);
  // `count` integers by the free-form rules, continuing over lines as needed.
  bool read_integers(int* targets, int count, std::string_view question, std::string* err);

 private:
  // The error text: which answer was being read, then the reason.
  std::string failure(std::string_view question, std::string_view reason, bool at_end) const;
  LineReader lines_;
};

}  // namespace xas
