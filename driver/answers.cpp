#include "driver/answers.h"

#include "driver/freeform_read.h"

namespace xas {

namespace {

// Long enough for any answer a person types; the rest of a longer line is dropped.
constexpr std::size_t kAnswerLine = 1 << 16;

// Standard input as a source of lines for a free-form read.
class AnswerSource : public ListSource {
 public:
  explicit AnswerSource(LineReader& lines) : lines_(lines) {}
  bool next_line(std::string_view* line) override { return lines_.next(line); }

 private:
  LineReader& lines_;
};

}  // namespace

Answers::Answers(std::FILE* in) : lines_(in, kAnswerLine) {}

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

bool Answers::read_text(Name90* text, std::string_view question, std::string* err) {
  std::string_view line;
  if (!lines_.next(&line)) {
    *err = failure(question, "End of file", true);
    return false;
  }
  text->set(line);
  return true;
}

bool Answers::read_integers(int* targets, int count, std::string_view question,
                            std::string* err) {
  AnswerSource source(lines_);
  std::string message;
  switch (read_list(source, targets, count, &message)) {
    case ListRead::complete:
      return true;
    case ListRead::end:
      *err = failure(question, "End of file", true);
      return false;
    case ListRead::error:
      *err = failure(question, message, false);
      return false;
  }
  return false;
}

}  // namespace xas
