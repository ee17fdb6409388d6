#include "common/fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace xas {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(FixedField, ReferenceExamples) {
  EXPECT_EQ(format_fixed(0.5f, 8, 5), " 0.50000");
  EXPECT_EQ(format_fixed(0.5f, 6, 5), ".50000");
  EXPECT_EQ(format_fixed(-0.5f, 8, 5), "-0.50000");
  EXPECT_EQ(format_fixed(-0.000001f, 8, 5), "-0.00000");
  EXPECT_EQ(format_fixed(12.3456789f, 8, 5), "12.34568");
  EXPECT_EQ(format_fixed(-12.3456789f, 8, 5), "********");
  EXPECT_EQ(format_fixed(123456.7f, 8, 2), "********");
  EXPECT_EQ(format_fixed(0.0f, 6, 3), " 0.000");
  EXPECT_EQ(format_fixed(8980.123f, 12, 5), "  8980.12305");
}

TEST(FixedField, ExactTiesGoToTheEvenDigit) {
  EXPECT_EQ(format_fixed(8979.125f, 8, 2), " 8979.12");
  EXPECT_EQ(format_fixed(8979.375f, 8, 2), " 8979.38");
  EXPECT_EQ(format_fixed(0.125f, 5, 2), " 0.12");
  EXPECT_EQ(format_fixed(-0.375f, 5, 2), "-0.38");
  EXPECT_EQ(format_fixed(2.5f, 3, 0), " 2.");
  EXPECT_EQ(format_fixed(3.5f, 3, 0), " 4.");
}

TEST(FixedField, SignOfZeroAndOfValuesRoundingToZero) {
  EXPECT_EQ(format_fixed(-0.0f, 8, 5), "-0.00000");
  EXPECT_EQ(format_fixed(-0.0004f, 6, 3), "-0.000");
  EXPECT_EQ(format_fixed(0.0004f, 6, 3), " 0.000");
  // No spare column: the zero goes, the sign stays.
  EXPECT_EQ(format_fixed(-0.0004f, 5, 3), "-.000");
  EXPECT_EQ(format_fixed(-0.0004f, 4, 3), "****");
}

TEST(FixedField, OptionalLeadingZeroNeedsASpareColumn) {
  EXPECT_EQ(format_fixed(0.5f, 6, 5), ".50000");
  EXPECT_EQ(format_fixed(0.5f, 7, 5), "0.50000");
  EXPECT_EQ(format_fixed(0.5f, 8, 5), " 0.50000");
  EXPECT_EQ(format_fixed(0.3f, 1, 0), ".");
  EXPECT_EQ(format_fixed(0.3f, 2, 0), "0.");
  // A value that rounds up to 1 has a real integer digit.
  EXPECT_EQ(format_fixed(0.99999f, 5, 3), "1.000");
  EXPECT_EQ(format_fixed(0.99999f, 4, 3), "****");
}

TEST(FixedField, WideValuesOverflowToAsterisks) {
  EXPECT_EQ(format_fixed(100000.0f, 8, 2), "********");
  EXPECT_EQ(format_fixed(99999.99f, 8, 2), "99999.99");
  EXPECT_EQ(format_fixed(100000.0f, 12, 6), "************");
  EXPECT_EQ(format_fixed(99999.5f, 12, 6), "99999.500000");
  EXPECT_EQ(format_fixed(99.999999f, 8, 5), "********");  // rounds to 100.00000
  EXPECT_EQ(format_fixed(-9.999999f, 8, 5), "********");  // rounds to -10.00000
  EXPECT_EQ(format_fixed(3.4e38f, 12, 5), "************");
  EXPECT_EQ(format_fixed(1.0f, 3, 3), "***");
}

TEST(FixedField, NotANumberAndInfinities) {
  EXPECT_EQ(format_fixed(kNaN, 8, 5), "     NaN");
  EXPECT_EQ(format_fixed(kNaN, 7, 3), "    NaN");
  EXPECT_EQ(format_fixed(kNaN, 3, 1), "NaN");
  EXPECT_EQ(format_fixed(kNaN, 2, 1), "**");
  EXPECT_EQ(format_fixed(kInf, 8, 5), "Infinity");
  EXPECT_EQ(format_fixed(kInf, 12, 5), "    Infinity");
  EXPECT_EQ(format_fixed(kInf, 7, 3), "    Inf");
  EXPECT_EQ(format_fixed(kInf, 3, 1), "Inf");
  EXPECT_EQ(format_fixed(kInf, 2, 1), "**");
  EXPECT_EQ(format_fixed(-kInf, 9, 5), "-Infinity");
  EXPECT_EQ(format_fixed(-kInf, 10, 5), " -Infinity");
  EXPECT_EQ(format_fixed(-kInf, 8, 5), "    -Inf");
  EXPECT_EQ(format_fixed(-kInf, 7, 3), "   -Inf");
  EXPECT_EQ(format_fixed(-kInf, 4, 1), "-Inf");
  EXPECT_EQ(format_fixed(-kInf, 3, 1), "***");
}

// The digits must be the correctly rounded decimal expansion of the exact
// binary value; the C library's conversion of the (exactly widened) double is
// an independent reference for that.
TEST(FixedField, DigitsMatchACorrectlyRoundedReference) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<float> mant(-1.0f, 1.0f);
  std::uniform_int_distribution<int> scale(-6, 5);
  for (int i = 0; i < 20000; ++i) {
    const float v = std::ldexp(mant(gen), scale(gen) * 3);
    for (int d : {2, 3, 5, 6}) {
      char ref[64];
      std::snprintf(ref, sizeof ref, "%.*f", d, static_cast<double>(std::fabs(v)));
      const std::string got = format_fixed(v, 40, d);
      std::string digits = got.substr(got.find_first_not_of(" -"));
      ASSERT_EQ(digits, ref) << "value " << v << " d=" << d;
      ASSERT_EQ(got.find('-') != std::string::npos, std::signbit(v)) << v;
    }
  }
}

TEST(ExponentField, ReferenceExamples) {
  EXPECT_EQ(format_exponent(0.001234567f, 12, 7), ".1234567E-02");
  EXPECT_EQ(format_exponent(0.0f, 12, 7), ".0000000E+00");
  EXPECT_EQ(format_exponent(-0.001234567f, 12, 7), "************");
}

TEST(ExponentField, RoundingExponentAndSpareColumn) {
  EXPECT_EQ(format_exponent(1.0f, 12, 7), ".1000000E+01");
  EXPECT_EQ(format_exponent(123456.7f, 12, 7), ".1234567E+06");
  // Rounding carries into the exponent.
  EXPECT_EQ(format_exponent(0.99999999f, 12, 7), ".1000000E+01");
  EXPECT_EQ(format_exponent(9.9999999e-3f, 12, 3), "   0.100E-01");
  EXPECT_EQ(format_exponent(0.5f, 13, 7), "0.5000000E+00");
  EXPECT_EQ(format_exponent(-0.5f, 13, 7), "-.5000000E+00");
  EXPECT_EQ(format_exponent(-0.5f, 15, 7), " -0.5000000E+00");
  // Tie to even on the last digit: 0.125 and 0.375 are exact.
  EXPECT_EQ(format_exponent(0.125f, 7, 2), ".12E+00");
  EXPECT_EQ(format_exponent(0.375f, 8, 2), "0.38E+00");
  EXPECT_EQ(format_exponent(3.4028235e38f, 12, 7), ".3402823E+39");
  EXPECT_EQ(format_exponent(1e-45f, 12, 7), ".1401298E-44");
}

TEST(ExponentField, SpecialValues) {
  EXPECT_EQ(format_exponent(kNaN, 12, 7), "         NaN");
  EXPECT_EQ(format_exponent(kInf, 12, 7), "    Infinity");
  EXPECT_EQ(format_exponent(-kInf, 12, 7), "   -Infinity");
}

TEST(IntegerField, WidthsSignsAndOverflow) {
  EXPECT_EQ(format_integer(-12, 3), "-12");
  EXPECT_EQ(format_integer(1234, 3), "***");
  EXPECT_EQ(format_integer(7, 3), "  7");
  EXPECT_EQ(format_integer(0, 5), "    0");
  EXPECT_EQ(format_integer(-100, 3), "***");
  EXPECT_EQ(format_integer(15000, 5), "15000");
  EXPECT_EQ(format_integer(-2147483647 - 1, 11), "-2147483648");
  EXPECT_EQ(format_integer(2147483647, 9), "*********");
}

TEST(TextField, RightAlignsOrCuts) {
  EXPECT_EQ(format_text("abc", 5), "  abc");
  EXPECT_EQ(format_text("abcdef", 4), "abcd");
  EXPECT_EQ(format_text("abcd", 4), "abcd");
  const std::string name = "cu_foil.gabs" + std::string(78, ' ');
  EXPECT_EQ(format_text(name, 90), name);
}

TEST(Fields, PutWritesExactlyWidthCharacters) {
  char buf[16];
  std::memset(buf, '#', sizeof buf);
  put_fixed(buf, 1.5f, 6, 2);
  put_exponent(buf + 6, 1.5f, 6, 1);  // 1.5 to one digit: tie, even 2
  put_integer(buf + 12, 42, 3);
  EXPECT_EQ(std::string(buf, 16), "  1.50.2E+01 42#");
}

}  // namespace
}  // namespace xas
