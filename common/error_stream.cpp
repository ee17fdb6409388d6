#include "common/error_stream.h"

#include "common/write_all.h"

#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>

namespace xas {

namespace {

std::mutex g_lock;

}  // namespace

void error_line(std::string_view text) {
  std::string line(text);
  if (line.empty() || line.back() != '\n') line += '\n';
  error_text(line);
}

void error_text(std::string_view text) {
  const std::lock_guard<std::mutex> hold(g_lock);
  write_all(2, text.data(), text.size());  // a failure leaves nothing more to say
}

}  // namespace xas
