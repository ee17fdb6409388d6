// Decimal text of a single-precision value with a given number of digits,
// correctly rounded from the exact binary value (an exact tie goes to the
// even digit): the same text as std::to_chars with a precision, computed with
// exact integer arithmetic for the values the program writes all the time
// and by std::to_chars for the rest.
#pragma once

#include <cstdint>

namespace xas {

// a = m * 2^e exactly, for a finite a that is not negative.
void float_parts(float a, std::uint32_t* m, int* e);

// round(m * 2^e * 10^k), to nearest with ties to even, for k from 0 to 19
// and a result below 2^64; false otherwise. The product is exact in 128 bits.
bool scaled_to_integer(std::uint32_t m, int e, int k, std::uint64_t* n);

// 10^k for k from 0 to 19.
std::uint64_t power_of_ten64(int k);

// Writes the `count` lowest decimal digits of *n just before `end` (leading
// zeros included), leaves the rest in *n, and returns where they begin.
char* low_digits_before(char* end, std::uint64_t* n, int count);

// Writes the decimal digits of n just before `end`; returns where they begin.
char* digits_before(char* end, std::uint64_t n);

// Fixed point with exactly `decimals` digits after the point ("12.340",
// "0.500", no point when decimals is 0). a must be finite and not negative.
char* decimal_fixed(char* first, char* last, float a, int decimals);

// Scientific "d.ddde-05" with `decimals` digits after the point and at least
// two exponent digits. a must be finite and not negative.
char* decimal_scientific(char* first, char* last, float a, int decimals);

}  // namespace xas
