#include "driver/console.h"

#include "driver/freeform_write.h"

#include <string>

namespace xas {

Console::Console() : out_(stdout), err_(stderr) {}
Console::Console(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

void Console::line(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
}

void Console::record(const FreeFormRecord& record) { line(record.line()); }

void Console::lines(std::string_view text) { std::fwrite(text.data(), 1, text.size(), out_); }

void Console::error(std::string_view text) {
  std::fflush(out_);
  std::fwrite(text.data(), 1, text.size(), err_);
  if (text.empty() || text.back() != '\n') std::fputc('\n', err_);
  std::fflush(err_);
}

void Console::warning(std::string_view text) {
  std::string line = "xasreduce: warning: ";
  line += text;
  error(line);
}

void Console::release_warnings() {
  for (const Held& held : held_) warning(held.text);
  held_.clear();
}

std::string Console::refusal(std::string_view text) const {
  std::string line(text);
  for (const Held& held : held_)
    if (held.input) line += "; note: " + held.text;
  return line;
}

void Console::flush() { std::fflush(out_); }

}  // namespace xas
