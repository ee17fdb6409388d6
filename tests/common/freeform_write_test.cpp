#include "common/freeform_write.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/expected_text.h"

namespace xas {
namespace {

using test::program_real;

TEST(FreeFormReal, ReferenceExamples) {
  EXPECT_EQ(program_real(8979.5f), "  8979.50000    ");
  EXPECT_EQ(program_real(2.5f), "  2.50000000    ");
  EXPECT_EQ(program_real(0.0f), "  0.00000000    ");
  EXPECT_EQ(program_real(-1.5f), " -1.50000000    ");
  EXPECT_EQ(program_real(0.3f), " 0.300000012    ");
  EXPECT_EQ(program_real(0.0123f), "  1.22999996E-02");
  EXPECT_EQ(program_real(0.00001f), "  9.99999975E-06");
  EXPECT_EQ(program_real(1000000000.0f), "  1.00000000E+09");
}

TEST(FreeFormReal, FormSwitchesAtOneTenthAndAtOneBillion) {
  EXPECT_EQ(program_real(0.1f), " 0.100000001    ");
  EXPECT_EQ(program_real(std::nextafter(0.1f, 0.0f)), "  9.99999940E-02");
  EXPECT_EQ(program_real(-0.1f), "-0.100000001    ");
  EXPECT_EQ(program_real(std::nextafter(1.0e9f, 0.0f)), "  999999936.    ");
  EXPECT_EQ(program_real(-999999936.0f), " -999999936.    ");
  EXPECT_EQ(program_real(-1.0e9f), " -1.00000000E+09");
}

TEST(FreeFormReal, DecimalsFollowTheDigitsBeforeThePoint) {
  EXPECT_EQ(program_real(std::nextafter(1.0f, 0.0f)), " 0.999999940    ");
  EXPECT_EQ(program_real(1.0f), "  1.00000000    ");
  EXPECT_EQ(program_real(10.0f), "  10.0000000    ");
  EXPECT_EQ(program_real(15.2345f), "  15.2344999    ");
  EXPECT_EQ(program_real(1000.0f), "  1000.00000    ");
  EXPECT_EQ(program_real(123456.789f), "  123456.789    ");
  EXPECT_EQ(program_real(12345678.0f), "  12345678.0    ");
  EXPECT_EQ(program_real(123456792.0f), "  123456792.    ");
  // Exact ties round to the even digit: 1234567.125 with two decimals.
  EXPECT_EQ(program_real(1234567.125f), "  1234567.12    ");
  EXPECT_EQ(program_real(1234567.375f), "  1234567.38    ");
}

TEST(FreeFormReal, SignsAndSpecialValues) {
  EXPECT_EQ(program_real(-0.0f), " -0.00000000    ");
  EXPECT_EQ(program_real(-0.0123f), " -1.22999996E-02");
  EXPECT_EQ(program_real(3.4028235e38f), "  3.40282347E+38");
  EXPECT_EQ(program_real(1e-45f), "  1.40129846E-45");
  EXPECT_EQ(program_real(std::numeric_limits<float>::quiet_NaN()), "             NaN");
  EXPECT_EQ(program_real(std::numeric_limits<float>::infinity()), "        Infinity");
  EXPECT_EQ(program_real(-std::numeric_limits<float>::infinity()), "       -Infinity");
}

TEST(FreeFormRecord, ItemsSeparatorsAndAbuttingTexts) {
  EXPECT_EQ(FreeFormRecord().add_integer(3).line(), "           3");
  EXPECT_EQ(FreeFormRecord().add_text(" >>> N. col. ").add_integer(3).line(), "  >>> N. col.            3");
  EXPECT_EQ(FreeFormRecord().add_text(" ... k-range: ").add_real(2.5f).add_text("-").add_real(15.2345f).line(),
            "  ... k-range:    2.50000000     -   15.2344999    ");
  EXPECT_EQ(FreeFormRecord().add_text("ab").add_text("cd").add_integer(-5).add_text("e").line(),
            " abcd          -5 e");
  EXPECT_EQ(FreeFormRecord().add_text(" >>> ").add_integer(0).add_text("  DATA ENERGY POINTS!").line(),
            "  >>>            0   DATA ENERGY POINTS!");
  EXPECT_EQ(FreeFormRecord().add_integer(-2147483647 - 1).add_integer(2147483647).line(),
            " -2147483648  2147483647");
  EXPECT_EQ(FreeFormRecord().line(), " ");
  EXPECT_EQ(FreeFormRecord().add_text("").add_text("x").line(), " x");
}

TEST(FreeFormRecord, ResultFileLines) {
  // Derivative row of the absorption plot: two reals, 34 characters.
  const std::string deriv(FreeFormRecord().add_real(8.9795f * 1000.0f).add_real(12.345f).line());
  EXPECT_EQ(deriv, "   8979.50000       12.3450003    ");
  EXPECT_EQ(deriv.size(), 34u);

  EXPECT_EQ(FreeFormRecord().add_text("SET LIMITS X 0 ").add_integer(16).add_text(" Y ").add_real(-0.3f)
                .add_real(0.3f).line(),
            " SET LIMITS X 0           16  Y  -0.300000012      0.300000012    ");
  EXPECT_EQ(FreeFormRecord().add_text("SET LIMITS X 0 ").add_integer(16).add_text(" Y ").add_real(-0.05f)
                .add_real(0.05f).line(),
            " SET LIMITS X 0           16  Y   -5.00000007E-02   5.00000007E-02");
  EXPECT_EQ(FreeFormRecord().add_text("SET LIMITS X 0 ").add_real(10.0f).add_text(" ").line(),
            " SET LIMITS X 0    10.0000000      ");
  EXPECT_EQ(FreeFormRecord().add_text("# average r m s noise = ").add_real(0.0123f).line(),
            " # average r m s noise =    1.22999996E-02");
}

// The fast path against the general one it falls back on: every 509th float
// (both signs, every exponent), and the edges of its ranges.
TEST(FreeFormReal, FastPathWritesWhatTheGeneralPathWrites) {
  std::vector<float> values = {0.0f, -0.0f, 0.1f, std::nextafter(0.1f, 0.0f), 1.0f, 1e9f,
                               std::nextafter(1e9f, 0.0f), 999999936.0f, 1e-11f, 1e-12f,
                               1e-45f, 3.4028235e38f, 9.99999994e-01f, 0.5f};
  for (std::uint64_t bits = 0; bits < (1ULL << 32); bits += 509) {
    const std::uint32_t b = static_cast<std::uint32_t>(bits);
    float f;
    std::memcpy(&f, &b, sizeof f);
    values.push_back(f);
  }
  for (float v : values) {
    char fast[16], general[16];
    put_freeform_real(fast, v);
    put_freeform_real_general(general, v);
    ASSERT_EQ(std::string(fast, 16), std::string(general, 16)) << std::hexfloat << v;
  }
}

TEST(FreeFormRecordDeathTest, OverlongRecordAborts) {
  FreeFormRecord r;
  const std::string chunk(1000, 'x');
  r.add_text(chunk).add_text(chunk);
  EXPECT_EQ(r.line().size(), 2001u);
  EXPECT_DEATH(r.add_text(chunk), "exceeds");
}

}  // namespace
}  // namespace xas
