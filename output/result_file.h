// One result file, connected to its unit number for the rest of the run. It
// is written in one pass through a buffer of its own and closed when the run
// ends; a failed write is remembered and reported when it is closed.
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

  // Takes over an open file descriptor; name is for messages.
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
  int fd_ = -1;
  int error_ = 0;  // errno of the first failed write
  std::size_t used_ = 0;
  char name_[96] = {};
  char buf_[kBuffer];
};

}  // namespace xas
