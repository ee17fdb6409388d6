#include "driver/answers.h"

#include <unistd.h>

#include "common/freeform_read.h"
#include "common/text_out.h"

namespace xas {

namespace {

// Long enough for any answer a person types; a longer line is refused.
constexpr std::size_t kAnswerLine = 1 << 16;

}  // namespace

// Standard input as a source of lines for a free-form read. A line longer
// than an answer holds ends the read; `cut` tells the caller why.
class AnswerLines : public ListSource {
 public:
  explicit AnswerLines(Answers& answers) : answers_(answers) {}
  bool next_line(std::string_view* line) override {
    if (!answers_.next_line(line, &cut)) return false;
    return !cut;
  }
  bool cut = false;

 private:
  Answers& answers_;
};

Answers::Answers(std::FILE* in, TextOut* screen) : lines_(in, kAnswerLine), screen_(screen) {
  if (::isatty(fileno(in))) editor_ = LineEditor::open(in, stdout);
}

bool Answers::next_line(std::string_view* line, bool* cut) {
  if (editor_ == nullptr) {
    if (!lines_.next(line)) return false;
    *cut = lines_.cut();
    return true;
  }
  if (!editor_->next(&edited_)) return false;
  *cut = edited_.size() > kAnswerLine;
  *line = edited_;
  return true;
}

long Answers::lines_read() const {
  return editor_ != nullptr ? editor_->lines_read() : lines_.lines_read();
}

std::string Answers::failure(std::string_view question, std::string_view reason,
                             bool at_end) const {
  std::string text = "cannot read the answer to \"";
  text += question;
  text += "\" ";
  if (at_end)
    text += "(standard input ended)";
  else
    text += "(line " + std::to_string(lines_read()) + " of standard input)";
  text += '\n';
  text += reason;
  return text;
}

std::string Answers::too_long(std::string_view question) const {
  return "the answer to \"" + std::string(question) + "\" (line " +
         std::to_string(lines_read()) + " of standard input) is longer than the " +
         std::to_string(kAnswerLine) + " characters an answer may hold";
}

bool Answers::read_line(std::string* text, std::string_view question, std::string* err) {
  if (screen_ != nullptr) screen_->flush();
  std::string_view line;
  bool cut = false;
  if (!next_line(&line, &cut)) {
    *err = failure(question, "End of file", true);
    return false;
  }
  if (cut) {
    *err = too_long(question);
    return false;
  }
  text->assign(line);
  return true;
}

bool Answers::read_integers(int* targets, int count, std::string_view question,
                            std::string* err) {
  if (screen_ != nullptr) screen_->flush();
  AnswerLines source(*this);
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
