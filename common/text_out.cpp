#include "common/text_out.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/freeform_write.h"
#include "common/write_all.h"

namespace xas {

TextOut::TextOut() = default;

TextOut::TextOut(int fd) : fd_(fd), buf_(new char[kBuffer]) {}

bool TextOut::flush() {
  if (fd_ < 0) return true;
  if (error_ == 0 && used_ > 0) error_ = write_all(fd_, buf_.get(), used_);
  used_ = 0;
  return error_ == 0;
}

void TextOut::put(std::string_view text) {
  if (fd_ < 0) {
    memory_.append(text);
    return;
  }
  if (error_ != 0) return;
  while (!text.empty()) {
    if (used_ == kBuffer && !flush()) return;
    const std::size_t n = std::min(text.size(), kBuffer - used_);
    std::memcpy(buf_.get() + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void TextOut::line(std::string_view text) {
  put(text);
  put("\n");
}

void TextOut::record(const FreeFormRecord& record) { line(record.line()); }

void TextOut::lines(std::string_view text) { put(text); }

}  // namespace xas
