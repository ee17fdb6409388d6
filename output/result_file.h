// One result file, connected to its unit number for the rest of the run. It
// is written in one pass and closed (flushed) only when the run ends.
#pragma once

#include <cstdio>
#include <string_view>

namespace xas {

class FreeFormRecord;

class ResultFile {
 public:
  ResultFile() = default;
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;
  ~ResultFile() { close(); }

  // Takes over an open stream.
  void attach(std::FILE* stream);
  bool is_open() const { return stream_ != nullptr; }

  // One line; the line feed is added.
  void line(std::string_view text);
  void record(const FreeFormRecord& record);
  // Text that already holds its line feeds (a rendered layout).
  void lines(std::string_view text);
  void close();

 private:
  std::FILE* stream_ = nullptr;
};

}  // namespace xas
