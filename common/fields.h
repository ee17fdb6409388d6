// Fixed-width fields of formatted lines: Fw.d, Ew.d, Iw and Aw.
//
// Every field writes exactly w characters. Reals are single-precision values
// and their digits are correctly rounded from the exact binary value, an exact
// tie going to the even digit. A value too wide for its field becomes w
// asterisks; the line keeps its width.
#pragma once

#include <string>
#include <string_view>

namespace xas {

// Fw.d: fixed point, d decimals, "-" for negative values (negative zero and
// values that round to zero included), the "0" before the point only when a
// column is spare.
void put_fixed(char* out, float value, int w, int d);

// Ew.d: ".D1..DdE+XX" with d significant digits, the "0" before the point only
// when a column is spare.
void put_exponent(char* out, float value, int w, int d);

// Iw: right-aligned decimal integer.
void put_integer(char* out, int value, int w);

// `n` characters of `s` right-aligned in w columns (n at most w).
void put_right_aligned(char* out, int w, const char* s, int n);

// Aw: a shorter text is right-aligned, a longer one cut to its first w characters.
void put_text(char* out, std::string_view text, int w);

std::string format_fixed(float value, int w, int d);
std::string format_exponent(float value, int w, int d);
std::string format_integer(int value, int w);
std::string format_text(std::string_view text, int w);

}  // namespace xas
