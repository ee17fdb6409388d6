#include "common/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace xas {

namespace {

using u128 = unsigned __int128;

constexpr int kMaxScale = 27;  // 10^27 * 2^24 stays below 2^128

struct PowersOfTen {
  u128 p[39];
  constexpr PowersOfTen() : p() {
    p[0] = 1;
    for (int i = 1; i < 39; ++i) p[i] = p[i - 1] * 10;
  }
};
constexpr PowersOfTen kPowers;

u128 power_of_ten(int k) { return kPowers.p[k]; }

int bit_length(u128 v) {
  const std::uint64_t high = static_cast<std::uint64_t>(v >> 64);
  const std::uint64_t low = static_cast<std::uint64_t>(v);
  if (high != 0) return 128 - __builtin_clzll(high);
  return low != 0 ? 64 - __builtin_clzll(low) : 0;
}

}  // namespace

void float_parts(float a, std::uint32_t* m, int* e) {
  std::uint32_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int field = static_cast<int>((bits >> 23) & 0xff);
  const std::uint32_t fraction = bits & 0x7fffff;
  if (field == 0) {
    *m = fraction;
    *e = -149;
  } else {
    *m = fraction | 0x800000;
    *e = field - 150;
  }
}

namespace {

constexpr std::uint64_t kPowersOfTen64[20] = {
    1ull,           10ull,           100ull,           1000ull,           10000ull,
    100000ull,      1000000ull,      10000000ull,      100000000ull,      1000000000ull,
    10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull, 100000000000000ull,
    1000000000000000ull, 10000000000000000ull, 100000000000000000ull, 1000000000000000000ull,
    10000000000000000000ull};

}  // namespace

bool scaled_to_integer(std::uint32_t m, int e, int k, std::uint64_t* n) {
  if (k < 0 || k > 19) return false;
  const unsigned __int128 p = static_cast<unsigned __int128>(m) * kPowersOfTen64[k];
  if (e >= 0) {
    if (e > 40 || (p >> (64 - e)) != 0) return false;
    *n = static_cast<std::uint64_t>(p << e);
    return true;
  }
  const int s = -e;
  if (s > 120) return false;
  const unsigned __int128 q = p >> s;
  const unsigned __int128 r = p & ((static_cast<unsigned __int128>(1) << s) - 1);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (s - 1);
  const unsigned __int128 rounded = (r > half || (r == half && (q & 1) != 0)) ? q + 1 : q;
  if ((rounded >> 64) != 0) return false;
  *n = static_cast<std::uint64_t>(rounded);
  return true;
}

std::uint64_t power_of_ten64(int k) { return kPowersOfTen64[k]; }

char* low_digits_before(char* end, std::uint64_t* n, int count) {
  static constexpr char kTwoDigits[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  for (; count >= 2; count -= 2) {
    const unsigned pair = static_cast<unsigned>(*n % 100);
    *n /= 100;
    end -= 2;
    std::memcpy(end, kTwoDigits + 2 * pair, 2);
  }
  if (count == 1) {
    *--end = static_cast<char>('0' + *n % 10);
    *n /= 10;
  }
  return end;
}

char* digits_before(char* end, std::uint64_t n) {
  int count = 1;
  while (count < 20 && n >= kPowersOfTen64[count]) ++count;
  return low_digits_before(end, &n, count);
}

namespace {

// Divides v by 2^s, rounding to nearest with ties to even.
u128 shift_round(u128 v, int s) {
  if (s == 0) return v;
  const u128 q = v >> s;
  const u128 r = v & ((u128{1} << s) - 1);
  const u128 half = u128{1} << (s - 1);
  return (r > half || (r == half && (q & 1) != 0)) ? q + 1 : q;
}

// Divides v by d, rounding to nearest with ties to even.
u128 divide_round(u128 v, u128 d) {
  const u128 q = v / d;
  const u128 r = v % d;
  return (2 * r > d || (2 * r == d && (q & 1) != 0)) ? q + 1 : q;
}

// round(a * 10^k) for k in [-38, 27], when it can be computed exactly in 128
// bits; false otherwise.
bool scaled(float a, int k, u128* n) {
  std::uint32_t m;
  int e;
  float_parts(a, &m, &e);
  if (k >= 0) {
    if (k > kMaxScale) return false;
    const u128 p = u128{m} * power_of_ten(k);
    if (e >= 0) {
      if (bit_length(p) + e > 127) return false;
      *n = p << e;
    } else {
      if (-e >= 127) return false;
      *n = shift_round(p, -e);
    }
    return true;
  }
  // Negative k: a * 2^0 must be an integer multiple to divide exactly.
  if (e < 0 || 24 + e > 127 || -k > 38) return false;
  *n = divide_round(u128{m} << e, power_of_ten(-k));
  return true;
}

// Decimal digits of v, most significant first; returns the count.
int to_digits(u128 v, char* out) {
  char tmp[48];
  char* const end = tmp + sizeof tmp;
  char* begin;
  if (v <= UINT64_MAX) {
    begin = digits_before(end, static_cast<std::uint64_t>(v));
  } else {
    // The low 19 digits first, zero-padded, then the rest.
    constexpr std::uint64_t kChunk = 10000000000000000000ull;
    const std::uint64_t low = static_cast<std::uint64_t>(v % kChunk);
    begin = digits_before(end, low);
    while (begin > end - 19) *--begin = '0';
    u128 high = v / kChunk;
    if (high <= UINT64_MAX) {
      begin = digits_before(begin, static_cast<std::uint64_t>(high));
    } else {
      const std::uint64_t mid = static_cast<std::uint64_t>(high % kChunk);
      char* const mid_end = begin;
      begin = digits_before(begin, mid);
      while (begin > mid_end - 19) *--begin = '0';
      begin = digits_before(begin, static_cast<std::uint64_t>(high / kChunk));
    }
  }
  const int n = static_cast<int>(end - begin);
  std::memcpy(out, begin, static_cast<std::size_t>(n));
  return n;
}

// Like std::to_chars, returns `last` without writing when there is no room.
char* copy_out(char* first, char* last, const char* text, int n) {
  if (last - first < n) return last;
  std::memcpy(first, text, static_cast<std::size_t>(n));
  return first + n;
}

}  // namespace

char* decimal_fixed(char* first, char* last, float a, int decimals) {
  // The fast path: the digits in 64 bits, written in place.
  std::uint32_t m;
  int e;
  float_parts(a, &m, &e);
  std::uint64_t n64 = 0;
  if (decimals >= 0 && decimals <= 19 && (m == 0 || scaled_to_integer(m, e, decimals, &n64))) {
    int count = 1;
    while (count < 20 && n64 >= power_of_ten64(count)) ++count;
    const int whole = count > decimals ? count - decimals : 1;
    const int len = whole + (decimals > 0 ? 1 + decimals : 0);
    if (last - first < len) return last;
    char* p = low_digits_before(first + len, &n64, decimals);
    if (decimals > 0) *--p = '.';
    digits_before(p, n64);
    return first + len;
  }
  u128 n;
  if (!scaled(a, decimals, &n))
    return std::to_chars(first, last, a, std::chars_format::fixed, decimals).ptr;
  char digits[48];
  int count = to_digits(n, digits);
  char text[80];
  int len = 0;
  if (count <= decimals) {  // below 1: "0." and leading zeros
    text[len++] = '0';
    text[len++] = '.';
    for (int i = count; i < decimals; ++i) text[len++] = '0';
    std::memcpy(text + len, digits, static_cast<std::size_t>(count));
    len += count;
  } else {
    const int whole = count - decimals;
    std::memcpy(text, digits, static_cast<std::size_t>(whole));
    len = whole;
    if (decimals > 0) {
      text[len++] = '.';
      std::memcpy(text + len, digits + whole, static_cast<std::size_t>(decimals));
      len += decimals;
    }
  }
  return copy_out(first, last, text, len);
}

char* decimal_scientific(char* first, char* last, float a, int decimals) {
  if (a == 0.0f || decimals > 20)
    return std::to_chars(first, last, a, std::chars_format::scientific, decimals).ptr;
  // The decimal exponent x of a = d.ddd * 10^x: an estimate from the binary
  // exponent that is never too high, raised until the rounded digits number
  // exactly decimals + 1 (a rounding carry can add one more).
  std::uint32_t m;
  int e;
  float_parts(a, &m, &e);
  int x = static_cast<int>(std::floor((bit_length(m) - 1 + e) * 0.30102999566398120));
  const u128 high = power_of_ten(decimals + 1);
  u128 n = 0;
  for (;;) {
    if (!scaled(a, decimals - x, &n))
      return std::to_chars(first, last, a, std::chars_format::scientific, decimals).ptr;
    if (n < high) break;
    ++x;
  }
  char digits[48];
  to_digits(n, digits);
  char text[64];
  int len = 0;
  text[len++] = digits[0];
  if (decimals > 0) {
    text[len++] = '.';
    std::memcpy(text + len, digits + 1, static_cast<std::size_t>(decimals));
    len += decimals;
  }
  text[len++] = 'e';
  text[len++] = x < 0 ? '-' : '+';
  const int ax = x < 0 ? -x : x;
  if (ax >= 100) text[len++] = static_cast<char>('0' + ax / 100);
  text[len++] = static_cast<char>('0' + (ax / 10) % 10);
  text[len++] = static_cast<char>('0' + ax % 10);
  return copy_out(first, last, text, len);
}

}  // namespace xas
