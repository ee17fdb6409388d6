// Fuzzes the free-form read of one data line: the first byte chooses how many
// values the read asks for (1 to 12, as the number of columns does), the rest
// is the line. The line is read as reals, as the data reader does, and once
// more as integers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "common/freeform_read.h"
#include "fuzz_support.h"

namespace {

constexpr int kMaxTargets = 12;

template <typename T>
void read_line(std::string_view line, int count, T sentinel) {
  // One target more than asked for: the read must never touch it.
  T targets[kMaxTargets + 1];
  for (T& t : targets) t = sentinel;
  xas::OneLineSource source(line);
  std::string message;
  xas::ListRead result = xas::read_list(source, targets, count, &message);
  if (std::memcmp(&targets[count], &sentinel, sizeof(T)) != 0)
    xas::fuzz::fail("the read wrote past its last target");
  switch (result) {
    case xas::ListRead::complete:
    case xas::ListRead::end:
      if (!message.empty()) xas::fuzz::fail("a message without an error", message);
      break;
    case xas::ListRead::error:
      if (message.empty()) xas::fuzz::fail("an error without a message");
      break;
    default:
      xas::fuzz::fail("a read result outside complete, end and error");
  }
  // A one-line source never gives a second line.
  std::string_view next;
  if (source.next_line(&next)) xas::fuzz::fail("a one-line source gave a second line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int count = data[0] % kMaxTargets + 1;
  // The line points into libFuzzer's own buffer, which ends exactly at its
  // last byte: a read past the line is an out-of-bounds read.
  std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);
  read_line<double>(line, count, -12345.25);
  read_line<int>(line, count, -12345);
  return 0;
}
