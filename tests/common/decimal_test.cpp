// The fast decimal conversion must give exactly the text of the standard
// library's correctly rounded conversion, for every kind of value.
#include "common/decimal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

namespace xas {
namespace {

std::string reference(float a, int decimals, std::chars_format format) {
  char buf[128];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, a, format, decimals).ptr);
}

std::string fixed(float a, int decimals) {
  char buf[128];
  return std::string(buf, decimal_fixed(buf, buf + sizeof buf, a, decimals));
}

std::string scientific(float a, int decimals) {
  char buf[128];
  return std::string(buf, decimal_scientific(buf, buf + sizeof buf, a, decimals));
}

float from_bits(std::uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

TEST(DecimalTest, TiesGoToTheEvenDigit) {
  EXPECT_EQ(fixed(8979.125f, 2), "8979.12");
  EXPECT_EQ(fixed(8979.375f, 2), "8979.38");
  EXPECT_EQ(fixed(0.5f, 0), "0");
  EXPECT_EQ(fixed(1.5f, 0), "2");
  EXPECT_EQ(fixed(2.5f, 0), "2");
}

TEST(DecimalTest, SmallValuesKeepTheirLeadingZeros) {
  EXPECT_EQ(fixed(0.0f, 8), "0.00000000");
  EXPECT_EQ(fixed(0.000001f, 5), "0.00000");
  EXPECT_EQ(fixed(0.3f, 9), "0.300000012");
  EXPECT_EQ(scientific(0.0123f, 8), "1.22999996e-02");
  EXPECT_EQ(scientific(1e9f, 8), "1.00000000e+09");
}

TEST(DecimalTest, RoundingCarriesIntoANewDigit) {
  EXPECT_EQ(fixed(9.9999f, 2), "10.00");
  EXPECT_EQ(scientific(9.9999f, 2), "1.00e+01");
  EXPECT_EQ(scientific(0.099999994f, 5), reference(0.099999994f, 5, std::chars_format::scientific));
}

TEST(DecimalTest, MatchesTheLibraryOnRandomValues) {
  std::mt19937 gen(12345);
  std::uniform_int_distribution<std::uint32_t> bits(0, 0x7f7fffff);  // finite, not negative
  std::uniform_real_distribution<float> moderate(0.0f, 20000.0f);
  for (int i = 0; i < 200000; ++i) {
    const float a = (i % 2 == 0) ? from_bits(bits(gen)) : moderate(gen);
    const int d = i % 13;
    ASSERT_EQ(fixed(a, d), reference(a, d, std::chars_format::fixed)) << a << " d=" << d;
    ASSERT_EQ(scientific(a, d), reference(a, d, std::chars_format::scientific)) << a << " d=" << d;
  }
}

TEST(DecimalTest, MatchesTheLibraryAtTheEndsOfTheRange) {
  const float values[] = {std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(),
                          std::numeric_limits<float>::max(), 1e-30f, 3e38f, 1e10f, 0.1f};
  for (float a : values)
    for (int d : {0, 1, 5, 8, 9, 12}) {
      EXPECT_EQ(fixed(a, d), reference(a, d, std::chars_format::fixed)) << a << " d=" << d;
      EXPECT_EQ(scientific(a, d), reference(a, d, std::chars_format::scientific)) << a << " d=" << d;
    }
}

}  // namespace
}  // namespace xas
