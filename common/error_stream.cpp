#include "common/error_stream.h"

#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>

namespace xas {

void error_line(std::string_view text) {
  static std::mutex lock;
  std::string line(text);
  if (line.empty() || line.back() != '\n') line += '\n';
  const std::lock_guard<std::mutex> hold(lock);
  const char* p = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    const ssize_t n = ::write(2, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nothing more can be said
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace xas
