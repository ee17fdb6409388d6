// Test helper for line_editor_test: reads lines from its terminal with the
// line editor and prints each one as "[line]". Exits 0 at the end of input,
// 3 when no editor opens.
#include <cstdio>
#include <string>

#include "terminal/line_editor.h"

int main() {
  std::unique_ptr<xas::LineEditor> editor = xas::LineEditor::open(stdin, stdout);
  if (editor == nullptr) {
    std::fputs("line_echo: no line editor on this input\n", stderr);
    return 3;
  }
  std::string line;
  while (editor->next(&line)) {
    std::printf("[%s]\n", line.c_str());
    std::fflush(stdout);
  }
  return 0;
}
