#include "output/result_file.h"

#include "driver/freeform_write.h"

namespace xas {

void ResultFile::attach(std::FILE* stream) {
  close();
  stream_ = stream;
  std::setvbuf(stream_, nullptr, _IOFBF, 1 << 16);
}

void ResultFile::line(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream_);
  std::fputc('\n', stream_);
}

void ResultFile::record(const FreeFormRecord& record) { line(record.line()); }

void ResultFile::lines(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream_); }

void ResultFile::close() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
}

}  // namespace xas
