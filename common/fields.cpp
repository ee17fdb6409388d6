#include "common/fields.h"

#include "common/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace xas {
namespace {

// Widest field accepted. No line of the program comes near it; the bound lets
// every conversion run in a fixed stack buffer.
constexpr int kMaxWidth = 256;

// Room for the longest fixed-point text of a single-precision value: 39
// integer digits, the point and up to kMaxWidth decimals.
constexpr int kConvBuffer = kMaxWidth + 64;

[[noreturn]] void bad_field(const char* what, int w, int d) {
  std::fprintf(stderr, "fields: unsupported %s field (w=%d, d=%d)\n", what, w, d);
  std::abort();
}

void check_width(const char* what, int w, int d) {
  if (w > kMaxWidth || d < 0 || d > kMaxWidth) bad_field(what, w, d);
}

void stars(char* out, int w) { std::memset(out, '*', static_cast<std::size_t>(w)); }

// NaN and the infinities, for the F and E fields. Returns false for a finite
// value, which the caller then renders.
bool put_special(char* out, float value, int w) {
  if (std::isnan(value)) {
    if (w >= 3) put_right_aligned(out, w, "NaN", 3);
    else stars(out, w);
    return true;
  }
  if (!std::isinf(value)) return false;
  if (value > 0.0f) {
    if (w >= 8) put_right_aligned(out, w, "Infinity", 8);
    else if (w >= 3) put_right_aligned(out, w, "Inf", 3);
    else stars(out, w);
  } else {
    if (w >= 9) put_right_aligned(out, w, "-Infinity", 9);
    else if (w >= 4) put_right_aligned(out, w, "-Inf", 4);
    else stars(out, w);
  }
  return true;
}

}  // namespace

void put_right_aligned(char* out, int w, const char* s, int n) {
  std::memset(out, ' ', static_cast<std::size_t>(w - n));
  std::memcpy(out + (w - n), s, static_cast<std::size_t>(n));
}

void put_fixed(char* out, float value, int w, int d) {
  if (w <= 0) return;
  check_width("F", w, d);
  if (put_special(out, value, w)) return;

  // The point and the decimals alone need d + 1 columns.
  if (d >= w) {
    stars(out, w);
    return;
  }

  // The sign comes from the value itself, so a negative zero and a negative
  // value that rounds to zero keep their "-".
  const bool negative = std::signbit(value);
  const float a = std::fabs(value);

  // buf[0] is kept free for a possible sign.
  char buf[kConvBuffer];
  char* const digits = buf + 1;
  char* const room = buf + kConvBuffer - 1;  // one column kept for a trailing point
  char* end = decimal_fixed(digits, room, a, d);
  if (end == room) {  // cannot happen within kConvBuffer; no room means no text
    stars(out, w);
    return;
  }
  if (d == 0) *end++ = '.';  // the conversion omits the point without decimals

  // The conversion writes "0.ddd" (or "0." after the line above) for a value whose
  // integer part rounds to 0; that "0" is optional.
  const bool zero_integer = digits[0] == '0' && digits[1] == '.';
  char* text = zero_integer ? digits + 1 : digits;
  const int needed = static_cast<int>(end - text) + (negative ? 1 : 0);
  if (needed > w) {
    stars(out, w);
    return;
  }
  if (zero_integer && needed < w) --text;  // a spare column: restore the "0"
  if (negative) *--text = '-';
  put_right_aligned(out, w, text, static_cast<int>(end - text));
}

void put_exponent(char* out, float value, int w, int d) {
  if (w <= 0) return;
  check_width("E", w, d);
  if (put_special(out, value, w)) return;

  const bool negative = std::signbit(value);
  const int needed = (negative ? 1 : 0) + 1 + d + 4;
  if (d < 1 || needed > w) {
    stars(out, w);
    return;
  }

  // The text is assembled in text[]: sign, optional "0", ".", d digits, "E±XX".
  char text[kConvBuffer];
  char* p = text;
  if (negative) *p++ = '-';
  if (needed < w) *p++ = '0';
  *p++ = '.';

  const float a = std::fabs(value);
  int x = 0;
  if (a == 0.0f) {
    std::memset(p, '0', static_cast<std::size_t>(d));
    p += d;
  } else {
    // Scientific form with d significant digits: "D1.D2...Dde±YY", where the
    // value is D1.D2... times 10^YY = 0.D1D2... times 10^(YY+1).
    char conv[kConvBuffer];
    char* const conv_end = decimal_scientific(conv, conv + kConvBuffer, a, d - 1);
    if (conv_end == conv + kConvBuffer) {
      stars(out, w);
      return;
    }
    const char* q = conv;
    for (; q < conv_end && *q != 'e'; ++q) {
      if (*q != '.') *p++ = *q;
    }
    int y = 0;
    std::from_chars(q + 1 + (q[1] == '+' ? 1 : 0), conv_end, y);
    x = y + 1;
  }
  *p++ = 'E';
  *p++ = x < 0 ? '-' : '+';
  // Single-precision values span exponents -44 to +39: two digits always suffice.
  const int ax = x < 0 ? -x : x;
  *p++ = static_cast<char>('0' + ax / 10);
  *p++ = static_cast<char>('0' + ax % 10);
  put_right_aligned(out, w, text, static_cast<int>(p - text));
}

void put_integer(char* out, int value, int w) {
  if (w <= 0) return;
  check_width("I", w, 0);
  char buf[16];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  const int n = static_cast<int>(res.ptr - buf);
  if (n > w) stars(out, w);
  else put_right_aligned(out, w, buf, n);
}

void put_text(char* out, std::string_view text, int w) {
  if (w <= 0) return;
  const std::size_t uw = static_cast<std::size_t>(w);
  if (text.size() >= uw) {
    std::memcpy(out, text.data(), uw);
  } else {
    std::memset(out, ' ', uw - text.size());
    std::memcpy(out + (uw - text.size()), text.data(), text.size());
  }
}

std::string format_fixed(float value, int w, int d) {
  std::string s(w > 0 ? static_cast<std::size_t>(w) : 0, ' ');
  put_fixed(s.data(), value, w, d);
  return s;
}

std::string format_exponent(float value, int w, int d) {
  std::string s(w > 0 ? static_cast<std::size_t>(w) : 0, ' ');
  put_exponent(s.data(), value, w, d);
  return s;
}

std::string format_integer(int value, int w) {
  std::string s(w > 0 ? static_cast<std::size_t>(w) : 0, ' ');
  put_integer(s.data(), value, w);
  return s;
}

std::string format_text(std::string_view text, int w) {
  std::string s(w > 0 ? static_cast<std::size_t>(w) : 0, ' ');
  put_text(s.data(), text, w);
  return s;
}

}  // namespace xas
