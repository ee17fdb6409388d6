// The kernels with AVX2 and FMA: 4 arguments in the double lanes of one
// register. Only these functions carry the instruction set: the rest of the
// program runs on any x86-64.
#include <immintrin.h>

#include "spectra/sincos_constants.h"
#include "spectra/vector_sincos.h"

#define XAS_AVX2 __attribute__((target("avx2,fma")))
#define XAS_AVX2_INLINE XAS_AVX2 inline __attribute__((always_inline))

namespace xas::simd {

namespace {

using namespace sincosf_constants;

// The low 32 bits of each 64-bit lane, as 4 32-bit lanes.
XAS_AVX2_INLINE __m128i low_halves(__m256i v) {
  return _mm256_castsi256_si128(
      _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
}

// A 32-bit lane mask widened to the 64-bit lanes of the doubles.
XAS_AVX2_INLINE __m256d wide(__m128i mask) {
  return _mm256_castsi256_pd(_mm256_cvtepi32_epi64(mask));
}

// Signed 64-bit integers to doubles, rounded once as a conversion rounds:
// the high half times 2^32 and the unsigned low half are exact doubles, and
// their sum is the one rounding.
XAS_AVX2_INLINE __m256d to_double(__m256i v) {
  const __m256d high = _mm256_cvtepi32_pd(low_halves(_mm256_srli_epi64(v, 32)));
  const __m128i low = _mm_xor_si128(low_halves(v), _mm_set1_epi32(static_cast<int>(0x80000000u)));
  const __m256d low_d = _mm256_add_pd(_mm256_cvtepi32_pd(low), _mm256_set1_pd(0x1p31));
  return _mm256_add_pd(_mm256_mul_pd(high, _mm256_set1_pd(0x1p32)), low_d);
}

// kInvPio4[index + offset] for each lane, by permutes of the 16 table
// entries in two halves (the index is at most 15): faster than a gather
// from memory.
XAS_AVX2_INLINE __m128i table_words(__m128i index, int offset) {
  const int* table = reinterpret_cast<const int*>(kInvPio4 + offset);
  const __m256i at = _mm256_castsi128_si256(index);
  const __m256i low = _mm256_permutevar8x32_epi32(
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(table)), at);
  const __m256i high = _mm256_permutevar8x32_epi32(
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(table + 8)), at);
  const __m128i upper = _mm_cmpgt_epi32(index, _mm_set1_epi32(7));
  return _mm_blendv_epi8(_mm256_castsi256_si128(low), _mm256_castsi256_si128(high), upper);
}

// The large reduction of 4 arguments of bits `yi`: the remainder times pi/4
// (in [-pi/4, pi/4]) and the quadrant, by the exact integer product of the
// mantissa with 96 bits of 4/pi chosen by the exponent.
XAS_AVX2_INLINE __m256d reduce_large(__m128i yi, __m128i* quadrant) {
  const __m128i index = _mm_and_si128(_mm_srli_epi32(yi, 26), _mm_set1_epi32(15));
  const __m128i shift = _mm_and_si128(_mm_srli_epi32(yi, 23), _mm_set1_epi32(7));
  const __m128i m = _mm_sllv_epi32(
      _mm_or_si128(_mm_and_si128(yi, _mm_set1_epi32(0xffffff)), _mm_set1_epi32(0x800000)), shift);
  const __m128i a0 = table_words(index, 0), a4 = table_words(index, 4),
                a8 = table_words(index, 8);
  const __m256i m64 = _mm256_cvtepu32_epi64(m);
  const __m256i low = _mm256_cvtepu32_epi64(_mm_mullo_epi32(m, a0));  // 32-bit product
  const __m256i res1 = _mm256_mul_epu32(m64, _mm256_cvtepu32_epi64(a4));
  const __m256i res2 = _mm256_mul_epu32(m64, _mm256_cvtepu32_epi64(a8));
  __m256i res0 = _mm256_or_si256(_mm256_srli_epi64(res2, 32), _mm256_slli_epi64(low, 32));
  res0 = _mm256_add_epi64(res0, res1);
  const __m256i n =
      _mm256_srli_epi64(_mm256_add_epi64(res0, _mm256_set1_epi64x(1LL << 61)), 62);
  res0 = _mm256_sub_epi64(res0, _mm256_slli_epi64(n, 62));
  *quadrant = low_halves(n);
  return _mm256_mul_pd(to_double(res0), _mm256_set1_pd(kPi62));
}

// sin and cos of 4 floats, as the library's sincosf computes them.
XAS_AVX2_INLINE void sincos4(__m128 y, __m128* sin_out, __m128* cos_out) {
  const __m128i yi = _mm_castps_si128(y);
  const __m128i top = _mm_and_si128(_mm_srli_epi32(yi, 20), _mm_set1_epi32(0x7ff));
  const __m128i tiny = _mm_cmpgt_epi32(_mm_set1_epi32(kTopTiny), top);
  const __m128i fast = _mm_cmpgt_epi32(_mm_set1_epi32(kTopFast), top);
  const __m128i finite = _mm_cmpgt_epi32(_mm_set1_epi32(kTopFinite), top);
  const __m256d x = _mm256_cvtps_pd(y);

  // The fast reduction: n = round(x 2/pi), x - n pi/2 fused. Below 0.75 it
  // gives n = 0 and x itself, as the library's unreduced branch.
  const __m256d r = _mm256_mul_pd(x, _mm256_set1_pd(kHalfPiInverse));
  __m128i n = _mm_srai_epi32(_mm_add_epi32(_mm256_cvttpd_epi32(r), _mm_set1_epi32(0x800000)), 24);
  __m256d xr = _mm256_fnmadd_pd(_mm256_cvtepi32_pd(n), _mm256_set1_pd(kHalfPi), x);
  // The quadrant that chooses the signs and the tables: n, and for the large
  // reduction n plus the argument's sign.
  __m128i select = n;
  const __m128i large = _mm_andnot_si128(fast, finite);
  if (!_mm_testz_si128(large, large)) {
    __m128i nl;
    const __m256d xl = reduce_large(yi, &nl);
    xr = _mm256_blendv_pd(xr, xl, wide(large));
    n = _mm_blendv_epi8(n, nl, large);
    select = _mm_blendv_epi8(select, _mm_add_epi32(nl, _mm_srli_epi32(yi, 31)), large);
  }

  // The sign of the reduced argument: -1 in quadrants 1 and 2.
  const __m128i odd_sign =
      _mm_and_si128(_mm_xor_si128(select, _mm_srli_epi32(select, 1)), _mm_set1_epi32(1));
  // (The library multiplies by +-1: the same bits as flipping the sign.)
  const __m256d flip = wide(_mm_sub_epi32(_mm_setzero_si128(), odd_sign));
  const __m256d xs = _mm256_xor_pd(xr, _mm256_and_pd(flip, _mm256_set1_pd(-0.0)));
  const __m256d x2 = _mm256_mul_pd(xr, xr);

  // The polynomials, fused where the library's build fuses.
  const __m256d x4 = _mm256_mul_pd(x2, x2);
  const __m256d x3 = _mm256_mul_pd(x2, xs);
  const __m256d c2 = _mm256_fmadd_pd(x2, _mm256_set1_pd(kC4), _mm256_set1_pd(kC3));
  const __m256d s1 = _mm256_fmadd_pd(x2, _mm256_set1_pd(kS3), _mm256_set1_pd(kS2));
  const __m256d c1 = _mm256_fmadd_pd(x2, _mm256_set1_pd(kC1), _mm256_set1_pd(kC0));
  const __m256d x5 = _mm256_mul_pd(x3, x2);
  const __m256d x6 = _mm256_mul_pd(x4, x2);
  const __m256d s = _mm256_fmadd_pd(x3, _mm256_set1_pd(kS1), xs);
  const __m256d c = _mm256_fmadd_pd(x4, _mm256_set1_pd(kC2), c1);
  const __m256d sine = _mm256_fmadd_pd(x5, s1, s);
  __m256d cosine = _mm256_fmadd_pd(x6, c2, c);
  // Quadrants 2 and 3 take -cos.
  const __m256d negated = wide(_mm_srai_epi32(_mm_slli_epi32(select, 30), 31));
  cosine = _mm256_xor_pd(cosine, _mm256_and_pd(negated, _mm256_set1_pd(-0.0)));
  // Odd quadrants swap sine and cosine.
  const __m256d swapped = wide(_mm_srai_epi32(_mm_slli_epi32(n, 31), 31));
  const __m128 s_float = _mm256_cvtpd_ps(_mm256_blendv_pd(sine, cosine, swapped));
  const __m128 c_float = _mm256_cvtpd_ps(_mm256_blendv_pd(cosine, sine, swapped));

  // Below 2^-12: x and 1. Infinities and NaN: NaN.
  *sin_out = s_float;
  *cos_out = c_float;
  if (!_mm_testz_si128(tiny, tiny) || !_mm_test_all_ones(finite)) {
    const __m128 tiny_mask = _mm_castsi128_ps(tiny);
    const __m128 finite_mask = _mm_castsi128_ps(finite);
    const __m128 nan = _mm_sub_ps(y, y);
    *sin_out = _mm_blendv_ps(nan, _mm_blendv_ps(s_float, y, tiny_mask), finite_mask);
    *cos_out =
        _mm_blendv_ps(nan, _mm_blendv_ps(c_float, _mm_set1_ps(1.0f), tiny_mask), finite_mask);
  }
}

XAS_AVX2 void sincos16(const float* x, float* s, float* c) {
  for (int quarter = 0; quarter < 16; quarter += 4) {
    __m128 sv, cv;
    sincos4(_mm_loadu_ps(x + quarter), &sv, &cv);
    _mm_storeu_ps(s + quarter, sv);
    _mm_storeu_ps(c + quarter, cv);
  }
}

XAS_AVX2 void transform16(const float* akf, const float* weight, int l, const float* r2,
                          float* ft_sin, float* ft_cos) {
  const __m256 r2_low = _mm256_loadu_ps(r2), r2_high = _mm256_loadu_ps(r2 + 8);
  __m256 sin_low = _mm256_loadu_ps(ft_sin), sin_high = _mm256_loadu_ps(ft_sin + 8);
  __m256 cos_low = _mm256_loadu_ps(ft_cos), cos_high = _mm256_loadu_ps(ft_cos + 8);
  for (int j = 0; j < l; ++j) {
    const __m256 k = _mm256_set1_ps(akf[j]);
    const __m256 a = _mm256_set1_ps(weight[j]);
    const __m256 t_low = _mm256_mul_ps(k, r2_low), t_high = _mm256_mul_ps(k, r2_high);
    __m128 s0, c0, s1, c1, s2, c2, s3, c3;
    sincos4(_mm256_castps256_ps128(t_low), &s0, &c0);
    sincos4(_mm256_extractf128_ps(t_low, 1), &s1, &c1);
    sincos4(_mm256_castps256_ps128(t_high), &s2, &c2);
    sincos4(_mm256_extractf128_ps(t_high, 1), &s3, &c3);
    sin_low = _mm256_add_ps(_mm256_mul_ps(_mm256_set_m128(s1, s0), a), sin_low);
    cos_low = _mm256_add_ps(_mm256_mul_ps(_mm256_set_m128(c1, c0), a), cos_low);
    sin_high = _mm256_add_ps(_mm256_mul_ps(_mm256_set_m128(s3, s2), a), sin_high);
    cos_high = _mm256_add_ps(_mm256_mul_ps(_mm256_set_m128(c3, c2), a), cos_high);
  }
  _mm256_storeu_ps(ft_sin, sin_low);
  _mm256_storeu_ps(ft_sin + 8, sin_high);
  _mm256_storeu_ps(ft_cos, cos_low);
  _mm256_storeu_ps(ft_cos + 8, cos_high);
}

}  // namespace

Kernels avx2_kernels() { return Kernels{Isa::avx2, sincos16, transform16}; }

}  // namespace xas::simd
