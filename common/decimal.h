// Decimal text of a single-precision value with a given number of digits,
// correctly rounded from the exact binary value (an exact tie goes to the
// even digit): the same text as std::to_chars with a precision, computed with
// exact integer arithmetic for the values the program writes all the time
// and by std::to_chars for the rest.
#pragma once

namespace xas {

// Fixed point with exactly `decimals` digits after the point ("12.340",
// "0.500", no point when decimals is 0). a must be finite and not negative.
char* decimal_fixed(char* first, char* last, float a, int decimals);

// Scientific "d.ddde-05" with `decimals` digits after the point and at least
// two exponent digits. a must be finite and not negative.
char* decimal_scientific(char* first, char* last, float a, int decimals);

}  // namespace xas
