// The vector kernels against the C library: a sample of every 4099th float
// (the whole range is the exhaustive check's, make sincos-check), and the
// transform's sums of 16 distances against the library's loop, bit for bit.
#include "spectra/vector_sincos.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace xas::simd {
namespace {

std::vector<Isa> offered() {
  std::vector<Isa> isas;
  for (Isa isa : {Isa::avx2, Isa::avx512})
    if (cpu_has(isa)) isas.push_back(isa);
  return isas;
}

TEST(VectorSincos, SampleOfEveryFloatMatchesTheLibrary) {
  std::vector<float> x;
  for (std::uint64_t bits = 0; bits < (1ULL << 32); bits += 4099) {
    const std::uint32_t b = static_cast<std::uint32_t>(bits);
    float f;
    std::memcpy(&f, &b, sizeof f);
    x.push_back(f);
  }
  const std::vector<float>& checked = check_arguments();
  x.insert(x.end(), checked.begin(), checked.end());
  for (Isa isa : offered())
    EXPECT_EQ(mismatches(isa, x.data(), static_cast<std::int64_t>(x.size())), 0) << isa_name(isa);
}

// The library's loop over the selected points, as the transform runs it
// without the kernels.
void library_sums(const std::vector<float>& akf, const std::vector<float>& weight, float r2,
                  float* ft_sin, float* ft_cos) {
  for (std::size_t j = 0; j < akf.size(); ++j) {
    const float t = akf[j] * r2;
    *ft_sin = std::sin(t) * weight[j] + *ft_sin;
    *ft_cos = std::cos(t) * weight[j] + *ft_cos;
  }
}

TEST(VectorSincos, TransformSumsMatchTheLibrarysLoop) {
  std::mt19937 random(20261209);
  for (int spectrum = 0; spectrum < 12; ++spectrum) {
    // A spectrum's selected points: ascending k from 2.5 on, weights of both
    // signs and sizes; distances from 0 to 10 Angstrom, one at R = 0.
    std::uniform_real_distribution<float> step(0.005f, 0.08f), value(-0.02f, 0.02f);
    std::vector<float> akf, weight;
    for (float k = 2.5f + step(random); k < 18.0f; k += step(random)) {
      akf.push_back(k);
      weight.push_back(value(random) * k * k);
    }
    float r2[16];
    for (int i = 0; i < 16; ++i)
      r2[i] = i == 0 ? 0.0f : 2.0f * std::uniform_real_distribution<float>(0.0f, 10.0f)(random);
    float expected_sin[16], expected_cos[16];
    for (int i = 0; i < 16; ++i) {
      expected_sin[i] = expected_cos[i] = 0.0f;
      library_sums(akf, weight, r2[i], &expected_sin[i], &expected_cos[i]);
    }
    for (Isa isa : offered()) {
      float ft_sin[16] = {}, ft_cos[16] = {};
      kernels(isa).transform16(akf.data(), weight.data(), static_cast<int>(akf.size()), r2,
                               ft_sin, ft_cos);
      for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(std::memcmp(&ft_sin[i], &expected_sin[i], sizeof(float)), 0)
            << isa_name(isa) << " spectrum " << spectrum << " R lane " << i;
        EXPECT_EQ(std::memcmp(&ft_cos[i], &expected_cos[i], sizeof(float)), 0)
            << isa_name(isa) << " spectrum " << spectrum << " R lane " << i;
      }
    }
  }
}

TEST(VectorSincos, TheTransformTakesTheWidestKernelsThatMatch) {
  const std::vector<Isa> isas = offered();
  const Isa widest = isas.empty() ? Isa::none : isas.back();
  EXPECT_EQ(transform_kernels().isa, widest) << isa_name(transform_kernels().isa);
}

}  // namespace
}  // namespace xas::simd
