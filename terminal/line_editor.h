// Answers typed at a terminal, read one line at a time with line editing
// (the usual emacs keys, or what ~/.editrc sets), a history of the lines given
// in this run, and file-name completion on Tab. It has no prompt: the question
// has been printed, and flushed, on a line of its own before each read.
//
// The editor draws on the screen only while a line is being typed: it echoes
// the typing (and lists the choices of an ambiguous completion) on `out` when
// `out` is a terminal, or else on the input's own terminal, so that a screen
// redirected to a file receives nothing from it. Between two lines the
// terminal is in its ordinary mode; a signal that ends the program while a
// line is typed (Ctrl-C) restores it first.
//
// It reads the terminal's descriptor directly: nothing may have been read from
// `in` through its stdio buffer before. One editor at a time per process.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace xas {

class LineEditor {
 public:
  // False when the program was built without line editing.
  static bool available();
  // An editor on the terminal `in`; null when line editing is not available
  // or cannot start, and the answers are then read as plain lines.
  static std::unique_ptr<LineEditor> open(std::FILE* in, std::FILE* out);
  ~LineEditor();
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // The next line exactly as typed, without its line feed; false at the end
  // of input (Ctrl-D on an empty line) or on a read error.
  bool next(std::string* line);
  // Lines returned so far.
  long lines_read() const { return lines_read_; }

 private:
  struct Session;
  explicit LineEditor(std::unique_ptr<Session> session);
  std::unique_ptr<Session> session_;
  long lines_read_ = 0;
};

}  // namespace xas
