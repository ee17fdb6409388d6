#include "common/freeform_write.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>

#include "common/decimal.h"
#include "common/fields.h"

namespace xas {
namespace {

constexpr int kRealWidth = 16;
constexpr int kFixedWidth = 12;  // fixed form: 12 columns, then 4 blanks
constexpr int kIntegerWidth = 11;

// Digits before the point of a value from 1 up to 1e9 (every power of ten
// compared here is exact in single precision).
int integer_digits(float a) {
  int n = 1;
  for (float limit = 10.0f; n < 9 && a >= limit; limit *= 10.0f) ++n;
  return n;
}

}  // namespace

void put_freeform_real_general(char* out, float value) {
  if (std::isnan(value)) {
    put_right_aligned(out, kRealWidth, "NaN", 3);
    return;
  }
  if (std::isinf(value)) {
    if (value > 0.0f) put_right_aligned(out, kRealWidth, "Infinity", 8);
    else put_right_aligned(out, kRealWidth, "-Infinity", 9);
    return;
  }

  const float a = std::fabs(value);
  char buf[32];
  char* p = buf;
  if (std::signbit(value)) *p++ = '-';

  if (a == 0.0f || (a >= 0.1f && a < 1.0e9f)) {
    // Nine significant digits: 9 minus the digits before the point as
    // decimals, 9 for values below 1 and 8 for zero. Rounding cannot carry
    // into a tenth digit: no single-precision value lies within half a unit
    // of the ninth digit below a power of ten.
    const int decimals = a == 0.0f ? 8 : (a < 1.0f ? 9 : 9 - integer_digits(a));
    p = decimal_fixed(p, buf + sizeof buf, a, decimals);
    if (decimals == 0) *p++ = '.';  // "999999936." keeps its point
    put_right_aligned(out, kFixedWidth, buf, static_cast<int>(p - buf));
    std::memset(out + kFixedWidth, ' ', kRealWidth - kFixedWidth);
    return;
  }

  // d.ddddddddE+xx; to_chars writes a lower-case "e" and at least two
  // exponent digits, which single-precision exponents never exceed.
  char* const start = p;
  p = decimal_scientific(p, buf + sizeof buf, a, 8);
  for (char* q = start; q < p; ++q) {
    if (*q == 'e') *q = 'E';
  }
  put_right_aligned(out, kRealWidth, buf, static_cast<int>(p - buf));
}

// The fast path: the digits computed in 64-bit integers and written in place,
// right to left; the general path (by 128-bit arithmetic and copies) for what
// it does not cover. Both give the same text.
void put_freeform_real(char* out, float value) {
  if (!std::isfinite(value)) return put_freeform_real_general(out, value);
  const float a = std::fabs(value);
  std::uint32_t m;
  int e;
  float_parts(a, &m, &e);
  std::memset(out, ' ', kRealWidth);
  std::uint64_t n;
  if (a == 0.0f || (a >= 0.1f && a < 1.0e9f)) {
    const int decimals = a == 0.0f ? 8 : (a < 1.0f ? 9 : 9 - integer_digits(a));
    if (a == 0.0f) n = 0;
    else if (!scaled_to_integer(m, e, decimals, &n)) return put_freeform_real_general(out, value);
    char* p = low_digits_before(out + kFixedWidth, &n, decimals);
    *--p = '.';  // also after the last digit: "999999936."
    p = digits_before(p, n);
    if (std::signbit(value)) *--p = '-';
    return;
  }
  // d.ddddddddE+xx, the decimal exponent x as the general path finds it: an
  // estimate never too high, raised until the digits number nine.
  int x = static_cast<int>(
      std::floor((31 - __builtin_clz(m) + e) * 0.30102999566398120));
  for (;;) {
    if (!scaled_to_integer(m, e, 8 - x, &n)) return put_freeform_real_general(out, value);
    if (n < power_of_ten64(9)) break;
    ++x;
  }
  const int magnitude = x < 0 ? -x : x;  // two digits for every float
  char* p = out + kRealWidth;
  *--p = static_cast<char>('0' + magnitude % 10);
  *--p = static_cast<char>('0' + magnitude / 10);
  *--p = x < 0 ? '-' : '+';
  *--p = 'E';
  p = low_digits_before(p, &n, 8);
  *--p = '.';
  *--p = static_cast<char>('0' + n);
  if (std::signbit(value)) *--p = '-';
}

// A record longer than the buffer would mean a message far beyond anything
// the program composes; stop rather than write past the buffer or lose text.
void FreeFormRecord::append(std::string_view s) {
  if (s.size() > kCapacity - len_) {
    std::fputs("free-form record: line exceeds its buffer\n", stderr);
    std::abort();
  }
  std::memcpy(buf_ + len_, s.data(), s.size());
  len_ += s.size();
}

void FreeFormRecord::separate(bool is_text) {
  if (has_items_ && !(is_text && last_was_text_)) append(" ");
  has_items_ = true;
  last_was_text_ = is_text;
}

FreeFormRecord& FreeFormRecord::add_text(std::string_view text) {
  separate(true);
  append(text);
  return *this;
}

FreeFormRecord& FreeFormRecord::add_integer(int value) {
  separate(false);
  char field[kIntegerWidth];
  put_integer(field, value, kIntegerWidth);  // every 32-bit integer fits in 11
  append(std::string_view(field, kIntegerWidth));
  return *this;
}

FreeFormRecord& FreeFormRecord::add_real(float value) {
  separate(false);
  char field[kRealWidth];
  put_freeform_real(field, value);
  append(std::string_view(field, kRealWidth));
  return *this;
}

}  // namespace xas
