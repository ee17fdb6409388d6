// The screen and the error stream: every message of a run goes through here.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

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
  void flush();

 private:
  std::FILE* out_;
  std::FILE* err_;
};

}  // namespace xas
