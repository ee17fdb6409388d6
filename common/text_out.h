// Text written line by line: to a file descriptor through a buffer of its
// own, or kept in memory. Writers only write; the first write that fails is
// remembered, later text is dropped, and the owner learns of the failure
// when it flushes. Every line ends with one line feed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace xas {

class FreeFormRecord;

class TextOut {
 public:
  // Kept in memory: text() holds everything written.
  TextOut();
  // Written to `fd`, which stays the caller's: flush() writes, nothing closes it.
  explicit TextOut(int fd);
  TextOut(const TextOut&) = delete;
  TextOut& operator=(const TextOut&) = delete;

  // One line; the line feed is added.
  void line(std::string_view text);
  void record(const FreeFormRecord& record);
  // Text that already holds its line feeds (a rendered layout).
  void lines(std::string_view text);

  // Writes out what is buffered. False if any write failed; error() is the
  // errno of the first failure.
  bool flush();
  int error() const { return error_; }
  // What was written to a text kept in memory.
  const std::string& text() const { return memory_; }
  // The text kept in memory, which starts anew.
  std::string take() {
    std::string text;
    text.swap(memory_);
    return text;
  }

 private:
  void put(std::string_view text);

  static constexpr std::size_t kBuffer = 32768;
  int fd_ = -1;  // -1: in memory
  int error_ = 0;
  std::size_t used_ = 0;
  std::unique_ptr<char[]> buf_;
  std::string memory_;
};

}  // namespace xas
