// The kernels with AVX-512 (F and DQ): 8 arguments in the double lanes of one
// register. Only these functions carry the instruction set: the rest of the
// program runs on any x86-64.
// GCC 12's AVX-512 intrinsics start their results from a self-initialised
// "undefined" vector, which its uninitialised-value warnings take for a
// fault wherever they are inlined (GCC bug 105593): those warnings are off
// in this file.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "spectra/sincos_constants.h"
#include "spectra/vector_sincos.h"

#define XAS_AVX512 __attribute__((target("avx2,fma,avx512f,avx512dq")))
#define XAS_AVX512_INLINE XAS_AVX512 inline __attribute__((always_inline))

namespace xas::simd {

namespace {

using namespace sincosf_constants;

// The lanes of an integer mask (all ones or zero per 32-bit lane) as a mask
// register.
XAS_AVX512_INLINE __mmask8 lanes(__m256i mask) {
  return static_cast<__mmask8>(_mm256_movemask_ps(_mm256_castsi256_ps(mask)));
}

// kInvPio4[index + offset] for each of 16 lanes, by a permute of 16 table
// entries (the index is at most 15): faster than a gather from memory.
XAS_AVX512_INLINE __m512i table_words(__m512i index, int offset) {
  return _mm512_permutexvar_epi32(index, _mm512_loadu_si512(kInvPio4 + offset));
}

XAS_AVX512_INLINE __m256i low_half(__m512i v) { return _mm512_castsi512_si256(v); }
XAS_AVX512_INLINE __m256i high_half(__m512i v) { return _mm512_extracti64x4_epi64(v, 1); }
XAS_AVX512_INLINE __m512i join(__m256i low, __m256i high) {
  return _mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1);
}

// The 64-bit part of the large reduction for 8 lanes: from the mantissa m,
// the low 32 bits of m kInvPio4[i] and the words kInvPio4[i + 4] and
// kInvPio4[i + 8], the remainder times pi/4 (in [-pi/4, pi/4]) and the
// quadrant.
XAS_AVX512_INLINE __m512d reduce_large8(__m256i m, __m256i low, __m256i a4, __m256i a8,
                                        __m256i* quadrant) {
  const __m512i m64 = _mm512_cvtepu32_epi64(m);
  const __m512i res1 = _mm512_mul_epu32(m64, _mm512_cvtepu32_epi64(a4));
  const __m512i res2 = _mm512_mul_epu32(m64, _mm512_cvtepu32_epi64(a8));
  __m512i res0 =
      _mm512_or_si512(_mm512_srli_epi64(res2, 32), _mm512_slli_epi64(_mm512_cvtepu32_epi64(low), 32));
  res0 = _mm512_add_epi64(res0, res1);
  const __m512i n = _mm512_srli_epi64(_mm512_add_epi64(res0, _mm512_set1_epi64(1LL << 61)), 62);
  res0 = _mm512_sub_epi64(res0, _mm512_slli_epi64(n, 62));
  *quadrant = _mm512_cvtepi64_epi32(n);
  return _mm512_mul_pd(_mm512_cvtepi64_pd(res0), _mm512_set1_pd(kPi62));
}

// The polynomials of 8 lanes, fused where the library's build fuses, from
// the reduced argument xr: the sign flipped where `flip`, -cos where
// `negate`, sine and cosine swapped where `swap`; rounded to single.
XAS_AVX512_INLINE void polynomials8(__m512d xr, __mmask8 flip, __mmask8 negate, __mmask8 swap,
                                    __m256* sin_out, __m256* cos_out) {
  const __m512d minus_zero = _mm512_set1_pd(-0.0);
  // (The library multiplies by +-1: the same bits as flipping the sign.)
  const __m512d xs = _mm512_mask_xor_pd(xr, flip, xr, minus_zero);
  const __m512d x2 = _mm512_mul_pd(xr, xr);
  const __m512d x4 = _mm512_mul_pd(x2, x2);
  const __m512d x3 = _mm512_mul_pd(x2, xs);
  const __m512d c2 = _mm512_fmadd_pd(x2, _mm512_set1_pd(kC4), _mm512_set1_pd(kC3));
  const __m512d s1 = _mm512_fmadd_pd(x2, _mm512_set1_pd(kS3), _mm512_set1_pd(kS2));
  const __m512d c1 = _mm512_fmadd_pd(x2, _mm512_set1_pd(kC1), _mm512_set1_pd(kC0));
  const __m512d x5 = _mm512_mul_pd(x3, x2);
  const __m512d x6 = _mm512_mul_pd(x4, x2);
  const __m512d s = _mm512_fmadd_pd(x3, _mm512_set1_pd(kS1), xs);
  const __m512d c = _mm512_fmadd_pd(x4, _mm512_set1_pd(kC2), c1);
  const __m512d sine = _mm512_fmadd_pd(x5, s1, s);
  __m512d cosine = _mm512_fmadd_pd(x6, c2, c);
  cosine = _mm512_mask_xor_pd(cosine, negate, cosine, minus_zero);
  *sin_out = _mm512_cvtpd_ps(_mm512_mask_blend_pd(swap, sine, cosine));
  *cos_out = _mm512_cvtpd_ps(_mm512_mask_blend_pd(swap, cosine, sine));
}

XAS_AVX512_INLINE __m512 join(__m256 low, __m256 high) {
  return _mm512_castpd_ps(
      _mm512_insertf64x4(_mm512_castps_pd(_mm512_castps256_ps512(low)), _mm256_castps_pd(high), 1));
}

// sin and cos of 16 floats, as the library's sincosf computes them: the
// integer work on 16 lanes, the double work on two halves of 8.
XAS_AVX512_INLINE void sincos16v(__m512 y, __m512* sin_out, __m512* cos_out) {
  const __m512i yi = _mm512_castps_si512(y);
  const __m512i top = _mm512_and_si512(_mm512_srli_epi32(yi, 20), _mm512_set1_epi32(0x7ff));
  const __mmask16 tiny = _mm512_cmplt_epu32_mask(top, _mm512_set1_epi32(kTopTiny));
  const __mmask16 fast = _mm512_cmplt_epu32_mask(top, _mm512_set1_epi32(kTopFast));
  const __mmask16 finite = _mm512_cmplt_epu32_mask(top, _mm512_set1_epi32(kTopFinite));
  __m512d x[2] = {_mm512_cvtps_pd(_mm512_castps512_ps256(y)),
                  _mm512_cvtps_pd(_mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(y), 1)))};

  // The fast reduction: n = round(x 2/pi), x - n pi/2 fused. Below 0.75 it
  // gives n = 0 and x itself, as the library's unreduced branch.
  // (Skipped where every lane takes the large reduction, as at long
  // distances in the transform.)
  __m512i n = _mm512_setzero_si512();
  __m512d xr[2] = {x[0], x[1]};
  if (fast != 0) {
    const __m512d half_pi_inverse = _mm512_set1_pd(kHalfPiInverse);
    n = join(_mm512_cvttpd_epi32(_mm512_mul_pd(x[0], half_pi_inverse)),
             _mm512_cvttpd_epi32(_mm512_mul_pd(x[1], half_pi_inverse)));
    n = _mm512_srai_epi32(_mm512_add_epi32(n, _mm512_set1_epi32(0x800000)), 24);
    for (int h = 0; h < 2; ++h) {
      const __m512d nd = _mm512_cvtepi32_pd(h == 0 ? low_half(n) : high_half(n));
      xr[h] = _mm512_fnmadd_pd(nd, _mm512_set1_pd(kHalfPi), x[h]);
    }
  }
  // The quadrant that chooses the signs and the tables: n, and for the large
  // reduction n plus the argument's sign.
  __m512i select = n;
  const __mmask16 large = static_cast<__mmask16>(finite & ~fast);
  if (large != 0) {
    // The exact integer product of the mantissa with 96 bits of 4/pi chosen
    // by the exponent.
    const __m512i index = _mm512_and_si512(_mm512_srli_epi32(yi, 26), _mm512_set1_epi32(15));
    const __m512i shift = _mm512_and_si512(_mm512_srli_epi32(yi, 23), _mm512_set1_epi32(7));
    const __m512i m = _mm512_sllv_epi32(
        _mm512_or_si512(_mm512_and_si512(yi, _mm512_set1_epi32(0xffffff)),
                        _mm512_set1_epi32(0x800000)),
        shift);
    const __m512i low = _mm512_mullo_epi32(m, table_words(index, 0));  // 32-bit product
    const __m512i a4 = table_words(index, 4), a8 = table_words(index, 8);
    __m256i quadrant[2];
    const __m512d xl0 = reduce_large8(low_half(m), low_half(low), low_half(a4), low_half(a8),
                                      &quadrant[0]);
    const __m512d xl1 = reduce_large8(high_half(m), high_half(low), high_half(a4),
                                      high_half(a8), &quadrant[1]);
    xr[0] = _mm512_mask_blend_pd(static_cast<__mmask8>(large), xr[0], xl0);
    xr[1] = _mm512_mask_blend_pd(static_cast<__mmask8>(large >> 8), xr[1], xl1);
    const __m512i nl = join(quadrant[0], quadrant[1]);
    n = _mm512_mask_blend_epi32(large, n, nl);
    select = _mm512_mask_blend_epi32(large, select, _mm512_add_epi32(nl, _mm512_srli_epi32(yi, 31)));
  }

  // The sign of the reduced argument is -1 in quadrants 1 and 2; quadrants 2
  // and 3 take -cos; odd quadrants swap sine and cosine.
  const __m512i one = _mm512_set1_epi32(1);
  const __mmask16 flip =
      _mm512_test_epi32_mask(_mm512_xor_si512(select, _mm512_srli_epi32(select, 1)), one);
  const __mmask16 negate = _mm512_test_epi32_mask(select, _mm512_set1_epi32(2));
  const __mmask16 swap = _mm512_test_epi32_mask(n, one);
  __m256 s[2], c[2];
  for (int h = 0; h < 2; ++h)
    polynomials8(xr[h], static_cast<__mmask8>(flip >> (8 * h)),
                 static_cast<__mmask8>(negate >> (8 * h)), static_cast<__mmask8>(swap >> (8 * h)),
                 &s[h], &c[h]);
  __m512 sine = join(s[0], s[1]), cosine = join(c[0], c[1]);

  // Below 2^-12: x and 1. Infinities and NaN: NaN.
  if (tiny != 0 || finite != 0xffff) {
    sine = _mm512_mask_mov_ps(sine, tiny, y);
    cosine = _mm512_mask_mov_ps(cosine, tiny, _mm512_set1_ps(1.0f));
    const __m512 nan = _mm512_sub_ps(y, y);
    sine = _mm512_mask_mov_ps(sine, static_cast<__mmask16>(~finite), nan);
    cosine = _mm512_mask_mov_ps(cosine, static_cast<__mmask16>(~finite), nan);
  }
  *sin_out = sine;
  *cos_out = cosine;
}

XAS_AVX512 void sincos16(const float* x, float* s, float* c) {
  __m512 sv, cv;
  sincos16v(_mm512_loadu_ps(x), &sv, &cv);
  _mm512_storeu_ps(s, sv);
  _mm512_storeu_ps(c, cv);
}

XAS_AVX512 void transform16(const float* akf, const float* weight, int l, const float* r2,
                            float* ft_sin, float* ft_cos) {
  const __m512 r2v = _mm512_loadu_ps(r2);
  __m512 sum_sin = _mm512_loadu_ps(ft_sin);
  __m512 sum_cos = _mm512_loadu_ps(ft_cos);
  for (int j = 0; j < l; ++j) {
    __m512 sine, cosine;
    sincos16v(_mm512_mul_ps(_mm512_set1_ps(akf[j]), r2v), &sine, &cosine);
    const __m512 a = _mm512_set1_ps(weight[j]);
    sum_sin = _mm512_add_ps(_mm512_mul_ps(sine, a), sum_sin);
    sum_cos = _mm512_add_ps(_mm512_mul_ps(cosine, a), sum_cos);
  }
  _mm512_storeu_ps(ft_sin, sum_sin);
  _mm512_storeu_ps(ft_cos, sum_cos);
}

}  // namespace

Kernels avx512_kernels() { return Kernels{Isa::avx512, sincos16, transform16}; }

}  // namespace xas::simd
