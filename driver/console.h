// The screen and the error stream: every message of a run goes through here.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace xas {

class FreeFormRecord;

class Console {
 public:
  // Writes to the process's standard output and error stream.
  Console();
  // Writes to the given streams (for tests: pipes or memory files).
  Console(std::FILE* out, std::FILE* err);

  // One line on the screen; the line feed is added.
  void line(std::string_view text);
  void record(const FreeFormRecord& record);
  // Text that already holds its line feeds (a rendered layout).
  void lines(std::string_view text);
  // A fatal message on the error stream; the screen is flushed first so that
  // the two streams keep their order on a terminal.
  void error(std::string_view text);
  // Something worth a second look: one line on the error stream,
  // "xasreduce: warning: " and the text. The run goes on.
  void warning(std::string_view text);
  // A warning held until the run is known to stand: release_warnings()
  // prints the held ones in their order. A run refused before that prints
  // its refusal alone, as one line: warnings about a result it never gives
  // are dropped, and those about how the input was read (`input`) are added
  // to the refusal by refusal(), since they may explain it.
  void defer_warning(std::string text, bool input = false) {
    held_.push_back({std::move(text), input});
  }
  void release_warnings();
  std::string refusal(std::string_view text) const;
  void flush();

 private:
  std::FILE* out_;
  std::FILE* err_;
  struct Held {
    std::string text;
    bool input;
  };
  std::vector<Held> held_;
};

}  // namespace xas
