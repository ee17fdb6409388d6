#include "driver/answers.h"

#include "driver/freeform_read.h"

namespace xas {

namespace {

// Long enough for any answer a person types; the rest of a longer line is dropped.
constexpr std::size_t kAnswerLine = 1 << 16;

// Standard input as a source of lines for a free-form read. A line longer
// than the reader holds ends the read; `cut` tells the caller why.
class AnswerSource : public ListSource {
 public:
  explicit AnswerSource(LineReader& lines) : lines_(lines) {}
  bool next_line(std::string_view* line) override {
    if (!lines_.next(line)) return false;
    if (lines_.cut()) {
      cut = true;
      return false;
    }
    return true;
  }
  bool cut = false;

 private:
  LineReader& lines_;
};

}  // namespace

Answers::Answers(std::FILE* in, std::FILE* screen) : lines_(in, kAnswerLine), screen_(screen) {}

std::string Answers::failure(std::string_view question, std::string_view reason,
                             bool at_end) const {
  std::string text = "xasreduce: cannot read the answer to \"";
  text += question;
  text += "\" ";
  if (at_end)
    text += "(standard input ended)";
  else
    text += "(line " + std::to_string(lines_.lines_read()) + " of standard input)";
  text += '\n';
  text += reason;
  return text;
}

std::string Answers::too_long(std::string_view question) const {
  return "xasreduce: the answer to \"" + std::string(question) + "\" (line " +
         std::to_string(lines_.lines_read()) + " of standard input) is longer than the " +
         std::to_string(kAnswerLine) + " characters an answer may hold";
}

bool Answers::read_line(std::string* text, std::string_view question, std::string* err) {
  if (screen_ != nullptr) std::fflush(screen_);
  std::string_view line;
  if (!lines_.next(&line)) {
    *err = failure(question, "End of file", true);
    return false;
  }
  if (lines_.cut()) {
    *err = too_long(question);
    return false;
  }
  text->assign(line);
  return true;
}

bool Answers::read_integers(int* targets, int count, std::string_view question,
                            std::string* err) {
  if (screen_ != nullptr) std::fflush(screen_);
  AnswerSource source(lines_);
  std::string message;
  switch (read_list(source, targets, count, &message)) {
    case ListRead::complete:
      return true;
    case ListRead::end:
      *err = source.cut ? too_long(question) : failure(question, "End of file", true);
      return false;
    case ListRead::error:
      *err = failure(question, message, false);
      return false;
  }
  return false;
}

}  // namespace xas
