// Sine and cosine of single-precision arguments on vectors, bit for bit the
// C library's sincosf, and the transform's inner sums built on them.
//
// The C library (glibc 2.36 on x86-64, through its CPU dispatch, the variant
// compiled with fused multiply-add) computes sincosf in double precision:
// below 2^-12 the argument and 1; below 0.75 one polynomial; below 112 the
// quadrant n from x * 2/pi * 2^24 and x - n pi/2 fused; above, an exact
// integer product with 192 bits of 4/pi; then the sine and cosine
// polynomials with their multiply-adds fused, and a rounding to single
// precision. The kernels perform exactly these operations, one argument per
// double lane: 8 lanes with AVX-512, 4 with AVX2 and FMA. Whether they match
// the library of the running process is checked before they are used (see
// transform_kernels()); where they do not, or the CPU lacks the
// instructions, the transform takes the library's sincosf itself.
//
// The constants are those of the published algorithm, Arm's
// optimized-routines (math/sincosf_data.c and math/sincosf.h, Copyright (c)
// 2018 Arm Limited, MIT licence), from which the C library's single-precision
// sine and cosine come.
#pragma once

#include <cstdint>
#include <vector>

namespace xas::simd {

// The instruction sets the kernels are written for.
enum class Isa { none, avx2, avx512 };

// "scalar", "avx2", "avx512".
const char* isa_name(Isa isa);

// Whether the running CPU (and its operating system) offers the
// instructions: AVX2 with FMA; AVX-512 F and DQ.
bool cpu_has(Isa isa);

// The kernels of one instruction set. Each takes 16 lanes.
struct Kernels {
  Isa isa = Isa::none;
  // s[i] = sin(x[i]), c[i] = cos(x[i]), for i = 0..15.
  void (*sincos16)(const float* x, float* s, float* c) = nullptr;
  // The transform's sums for 16 distances: for j = 0..l-1 in this order,
  // t = akf[j] * r2[i]; ft_sin[i] = sin(t) * weight[j] + ft_sin[i];
  // ft_cos[i] = cos(t) * weight[j] + ft_cos[i], each product and sum
  // rounded to single precision, for i = 0..15.
  void (*transform16)(const float* akf, const float* weight, int l, const float* r2,
                      float* ft_sin, float* ft_cos) = nullptr;
};

// The kernels of an instruction set (of Isa::none: none, null pointers).
// Call them only where cpu_has(isa).
Kernels kernels(Isa isa);

// The arguments the kernels are checked on before use: the floats where the
// library's two x86-64 variants differ (with and without fused
// multiply-add), the edges of each range of the algorithm, and a few thousand
// others spread over every range and sign, with the infinities and a NaN.
const std::vector<float>& check_arguments();

// The number of arguments on which the kernels of `isa` give another sine
// or cosine than the library's sincosf (a NaN matches a NaN).
std::int64_t mismatches(Isa isa, const float* x, std::int64_t n);

// The kernels the transform takes, chosen once for the process: those of the
// widest instruction set the CPU offers whose results match the library's
// on check_arguments(); none (the library's sincosf) otherwise. The
// environment variable XASREDUCE_VECTOR set to "off" takes none, to "avx2"
// no wider than AVX2.
const Kernels& transform_kernels();

}  // namespace xas::simd
