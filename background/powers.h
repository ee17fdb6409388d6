// Powers in single precision, in the exact form every fit and evaluation uses.
#pragma once

namespace xas {

// x^p for an integer p >= 1, by repeated squaring (x^2 = x*x,
// x^3 = (x*x)*x, x^4 = (x*x)*(x*x)), each product rounded to single.
float ipow(float x, int p);

// The real power powf(base, exponent), evaluated by the C library for every
// call. The compiler must not see the exponent: for an exponent of 2 it would
// turn the call into base*base, which differs from the library's powf in the
// last bit for some bases.
float real_power(float base, float exponent);

}  // namespace xas
