// Answers read from a text in memory, as the program reads them from a pipe
// on standard input.
#pragma once

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "driver/answers.h"
#include "driver/driver.h"
#include "common/text_out.h"

namespace xas::test {

class MemoryAnswers {
 public:
  // `screen` (may be null) is flushed before each read, as the program's is.
  explicit MemoryAnswers(std::string text, TextOut* screen = nullptr)
      : text_(std::move(text)), in_(open(text_)), answers_(in_.get(), screen) {}
  MemoryAnswers(const MemoryAnswers&) = delete;
  MemoryAnswers& operator=(const MemoryAnswers&) = delete;

  Answers& answers() { return answers_; }

 private:
  struct Close {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  // An empty text is an empty stream (fmemopen may refuse a zero size).
  static std::FILE* open(std::string& text) {
    std::FILE* f = text.empty() ? std::fopen("/dev/null", "r")
                                : fmemopen(text.data(), text.size(), "r");
    if (f == nullptr) throw std::runtime_error("cannot open the answers as a stream");
    return f;
  }

  std::string text_;
  std::unique_ptr<std::FILE, Close> in_;  // closed after the answers are gone
  Answers answers_;
};

// A whole reduction in this process: its answers from `text`, its screen
// kept in memory, its results where `options` says.
struct InProcessRun {
  DialogueOutcome outcome;
  std::string screen;
};

inline InProcessRun reduce_in_process(const std::string& text, const DialogueOptions& options) {
  MemoryAnswers answers(text);
  TextOut screen;
  InProcessRun run;
  run.outcome = run_dialogue(answers.answers(), screen, options);
  run.screen = screen.text();
  return run;
}

}  // namespace xas::test
