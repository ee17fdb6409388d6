#include "background/powers.h"

#include <cmath>

namespace xas {

float ipow(float x, int p) {
  float result = 1.0f;
  bool first = true;
  float square = x;
  while (p > 0) {
    if (p & 1) {
      result = first ? square : result * square;
      first = false;
    }
    p >>= 1;
    if (p > 0) square = square * square;
  }
  return result;
}

__attribute__((noinline)) float real_power(float base, float exponent) {
  // Hide the exponent's value from the optimiser so that the call stays a call.
  asm volatile("" : "+x"(exponent));
  return ::powf(base, exponent);
}

}  // namespace xas
