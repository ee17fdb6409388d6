#include "output/result_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "driver/freeform_write.h"

namespace xas {

void ResultFile::hold_in(char* area, std::size_t capacity) {
  held_ = area;
  held_capacity_ = capacity;
  held_used_ = 0;
}

void ResultFile::attach(int fd, std::string_view name) {
  close();
  fd_ = fd;
  error_ = 0;
  used_ = 0;
  const std::size_t n = std::min(name.size(), sizeof name_ - 1);
  std::memcpy(name_, name.data(), n);
  name_[n] = '\0';
  put(std::string_view(held_, held_used_));
  put(spill_);
  held_used_ = 0;
  spill_.clear();
}

void ResultFile::flush() {
  const char* p = buf_;
  std::size_t left = used_;
  while (left > 0 && error_ == 0) {
    ssize_t written = ::write(fd_, p, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
    } else {
      p += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  used_ = 0;
}

void ResultFile::put(std::string_view text) {
  if (fd_ < 0) {  // not open yet: hold the text
    const std::size_t room = held_capacity_ - held_used_;
    if (spill_.empty() && text.size() <= room) {
      std::memcpy(held_ + held_used_, text.data(), text.size());
      held_used_ += text.size();
    } else {
      spill_.append(text);
    }
    return;
  }
  while (!text.empty()) {
    if (used_ == kBuffer) flush();
    const std::size_t n = std::min(text.size(), kBuffer - used_);
    std::memcpy(buf_ + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void ResultFile::line(std::string_view text) {
  put(text);
  put("\n");
}

void ResultFile::record(const FreeFormRecord& record) { line(record.line()); }

void ResultFile::lines(std::string_view text) { put(text); }

bool ResultFile::close(std::string* err) {
  if (fd_ < 0) return true;
  flush();
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  if (error_ != 0 && err != nullptr) {
    *err = "xasreduce: cannot write '" + std::string(name_) + "': " + std::strerror(error_);
    return false;
  }
  return error_ == 0;
}

}  // namespace xas
