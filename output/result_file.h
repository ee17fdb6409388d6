// One result file, connected to its unit number for the rest of the run. It
// is written in one pass through a buffer of its own and closed when the run
// ends; a failed write is remembered and reported when it is closed. Lines
// written before the file is opened are held (in an area the run lends it,
// else on the heap) and reach the file when it is opened, so that its text
// can be composed while other work goes on and the file opened in its turn.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace xas {

class FreeFormRecord;

class ResultFile {
 public:
  ResultFile() = default;
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;
  ~ResultFile() { close(); }

  // Room for the lines written before the file is opened.
  void hold_in(char* area, std::size_t capacity);
  // Takes over an open file descriptor, name for messages, and writes what
  // was held for it.
  void attach(int fd, std::string_view name);
  bool is_open() const { return fd_ >= 0; }

  // One line; the line feed is added.
  void line(std::string_view text);
  void record(const FreeFormRecord& record);
  // Text that already holds its line feeds (a rendered layout).
  void lines(std::string_view text);
  // Writes what is buffered and closes the file. False, with a message, if
  // any write failed.
  bool close(std::string* err = nullptr);

 private:
  void put(std::string_view text);
  void flush();

  static constexpr std::size_t kBuffer = 32768;
  char* held_ = nullptr;
  std::size_t held_capacity_ = 0;
  std::size_t held_used_ = 0;
  std::string spill_;  // held lines beyond the lent area
  int fd_ = -1;
  int error_ = 0;  // errno of the first failed write
  std::size_t used_ = 0;
  char name_[96] = {};
  char buf_[kBuffer];
};

}  // namespace xas
