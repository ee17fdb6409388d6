#include "common/text_out.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/freeform_write.h"

namespace xas {

TextOut::TextOut() = default;

TextOut::TextOut(int fd) : fd_(fd), buf_(new char[kBuffer]) {}

bool TextOut::flush() {
  if (fd_ < 0) return true;
  const char* p = buf_.get();
  std::size_t left = used_;
  while (left > 0 && error_ == 0) {
    const ssize_t written = ::write(fd_, p, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
    } else if (written == 0) {
      error_ = EIO;  // no progress: the device takes nothing more
    } else {
      p += written;
      left -= static_cast<std::size_t>(written);
    }
  }
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
