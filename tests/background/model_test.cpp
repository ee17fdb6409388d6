#include "background/model.h"

#include <gtest/gtest.h>
#include <math.h>

#include <cmath>
#include <vector>

#include "background/powers.h"

namespace xas {
namespace {

// The model with five segments as the background fit sets it up: a cubic
// first segment (edge term, x^2, x^3) and two knot terms per later segment.
Model five_segments() {
  Model m;
  m.spl0.e0 = 8.979f;
  m.spl0.nsp = 5;
  m.spl0.npar = 11;
  m.spl1.xk(1) = 9.009f;
  m.spl1.xk(2) = 9.1f;
  m.spl1.xk(3) = 9.25f;
  m.spl1.xk(4) = 9.6f;
  m.spl1.xk(5) = 9.95f;
  m.spl1.xk(6) = 10.3f;
  m.spl1.ideg(1) = 3;
  for (int s = 2; s <= 5; ++s) m.spl1.ideg(s) = 2;
  const double coef[] = {1.2345678901234, -0.4, 0.15, 0.3, -0.2, -0.25, 0.1, 0.2, -0.1, -0.1, 0.05};
  for (int k = 1; k <= 11; ++k) m.spl2.coef(k) = coef[k - 1];
  m.spll.mode = 'S';
  return m;
}

float eval(const Model& m, float x) {
  float y = -99.0f;  // must be overwritten
  spline(m, x, y);
  return y;
}

// One term added as the model adds it: the product and the sum in double,
// rounded to single after the term.
float add_term(double coef, float power, float y) {
  return static_cast<float>(coef * static_cast<double>(power) + static_cast<double>(y));
}

// The edge term coef(1)*(1 - (8/3)*x/E0), with the single-precision 8/3.
float edge_term(double coef1, float x, float e0) {
  const float t = 1.0f - ((2.6666667f * x) / e0);
  return add_term(coef1, t, 0.0f);
}

TEST(BackgroundModel, AtTheEdgeTheModelIsTheFirstCoefficient) {
  const Model m = five_segments();
  EXPECT_EQ(eval(m, 0.0f), static_cast<float>(m.spl2.coef(1)));
}

TEST(BackgroundModel, OneSegmentIsTheEdgeTermPlusSquareAndCube) {
  Model m;
  m.spl0.e0 = 8.979f;
  m.spl0.nsp = 1;
  m.spl0.npar = 3;
  m.spl1.xk(1) = 9.009f;
  m.spl1.xk(2) = 9.2f;
  m.spl1.ideg(1) = 3;
  m.spl2.coef(1) = 1.7;
  m.spl2.coef(2) = -0.61;
  m.spl2.coef(3) = 0.237;
  for (float x : {0.0317f, 0.1f, 0.18731f, -0.05f, 1.3f}) {
    float expected = edge_term(1.7, x, m.spl0.e0);
    expected = add_term(-0.61, x * x, expected);
    expected = add_term(0.237, (x * x) * x, expected);
    EXPECT_EQ(eval(m, x), expected) << "x = " << x;

    const double xd = x, e0 = m.spl0.e0;
    const double closed = 1.7 * (1.0 - (8.0 / 3.0) * xd / e0) - 0.61 * xd * xd + 0.237 * xd * xd * xd;
    EXPECT_NEAR(eval(m, x), closed, 2e-6) << "x = " << x;
  }
}

TEST(BackgroundModel, EdgeTermUsesTheSinglePrecisionEightThirds) {
  Model m;
  m.spl0.e0 = 8.979f;
  m.spl0.nsp = 1;
  m.spl0.npar = 1;
  m.spl1.ideg(1) = 1;
  m.spl2.coef(1) = 1.0;
  int differs_from_double = 0;
  for (float x = -0.2f; x < 1.5f; x += 0.000917f) {
    const float t = 1.0f - ((2.6666667f * x) / m.spl0.e0);
    EXPECT_EQ(eval(m, x), t) << "x = " << x;
    const float wide = static_cast<float>(1.0 - ((8.0 / 3.0) * x) / m.spl0.e0);
    if (wide != t) ++differs_from_double;
  }
  EXPECT_GT(differs_from_double, 0);
}

TEST(BackgroundModel, KnotTermsVanishAtAndBelowTheirKnotAndGrowAboveIt) {
  Model m;
  m.spl0.e0 = 9.0f;
  m.spl0.nsp = 2;
  m.spl0.npar = 5;
  m.spl1.xk(1) = 9.03f;
  m.spl1.xk(2) = 9.5f;  // e0 + 0.5 exactly
  m.spl1.xk(3) = 10.0f;
  m.spl1.ideg(1) = 3;
  m.spl1.ideg(2) = 2;
  m.spl2.coef(1) = 1.1;
  m.spl2.coef(2) = 0.3;
  m.spl2.coef(3) = -0.2;
  m.spl2.coef(4) = 1000.0;
  m.spl2.coef(5) = -2000.0;

  auto first_segment = [&](float x) {
    float y = edge_term(1.1, x, 9.0f);
    y = add_term(0.3, x * x, y);
    return add_term(-0.2, (x * x) * x, y);
  };
  EXPECT_EQ(eval(m, 0.5f), first_segment(0.5f));  // exactly at the knot
  EXPECT_EQ(eval(m, 0.25f), first_segment(0.25f));
  EXPECT_EQ(eval(m, 0.0f), 1.1f);

  const float x = 0.75f, d = (9.0f + x) - 9.5f;
  float expected = add_term(1000.0, d * d, first_segment(x));
  expected = add_term(-2000.0, (d * d) * d, expected);
  EXPECT_EQ(eval(m, x), expected);
  EXPECT_NE(eval(m, x), first_segment(x));
}

TEST(BackgroundModel, BelowTheEdgeTheEdgeTermExceedsTheJumpAndOnlyTheFirstSegmentApplies) {
  Model m = five_segments();
  for (int k = 2; k <= 11; ++k) m.spl2.coef(k) = 0.0;
  const float x = -0.1f;
  const float y = eval(m, x);
  EXPECT_GT(y, static_cast<float>(m.spl2.coef(1)));
  EXPECT_EQ(y, edge_term(m.spl2.coef(1), x, m.spl0.e0));

  // The square and cube of the first segment still count below the edge;
  // the knot terms, whatever their coefficients, do not.
  m = five_segments();
  float expected = edge_term(m.spl2.coef(1), x, m.spl0.e0);
  expected = add_term(m.spl2.coef(2), x * x, expected);
  expected = add_term(m.spl2.coef(3), (x * x) * x, expected);
  EXPECT_EQ(eval(m, x), expected);
}

TEST(BackgroundModel, CoefficientIndexContinuesAfterAFirstSegmentOfOneTerm) {
  // ideg(1) = 1: only the edge term in the first segment; the knot terms of
  // segment 2 take coefficients 2 and 3.
  Model m;
  m.spl0.e0 = 9.0f;
  m.spl0.nsp = 2;
  m.spl0.npar = 3;
  m.spl1.xk(1) = 9.03f;
  m.spl1.xk(2) = 9.25f;
  m.spl1.xk(3) = 10.0f;
  m.spl1.ideg(1) = 1;
  m.spl1.ideg(2) = 2;
  m.spl2.coef(1) = 0.9;
  m.spl2.coef(2) = 0.7;
  m.spl2.coef(3) = -0.4;
  const float x = 0.75f, d = 0.5f;
  float expected = edge_term(0.9, x, 9.0f);
  expected = add_term(0.7, d * d, expected);
  expected = add_term(-0.4, (d * d) * d, expected);
  EXPECT_EQ(eval(m, x), expected);
}

// powf as the C library computes it at run time, out of the optimiser's sight.
float library_powf(float base, float exponent) {
  float (*volatile fn)(float, float) = ::powf;
  return fn(base, exponent);
}

TEST(Powers, IntegerPowersAreRepeatedSingleProducts) {
  int cube_differs_from_double = 0, fourth_differs_from_chain = 0;
  for (float x = 0.0123f; x < 30.0f; x = x * 1.0007f + 0.000131f) {
    EXPECT_EQ(ipow(x, 1), x);
    EXPECT_EQ(ipow(x, 2), x * x);
    const float cube = (x * x) * x;
    EXPECT_EQ(ipow(x, 3), cube);
    const float fourth = (x * x) * (x * x);
    EXPECT_EQ(ipow(x, 4), fourth);
    EXPECT_EQ(ipow(-x, 3), -cube);
    EXPECT_EQ(ipow(-x, 4), fourth);
    const double xd = x;
    if (cube != static_cast<float>(xd * xd * xd)) ++cube_differs_from_double;
    if (fourth != ((x * x) * x) * x) ++fourth_differs_from_chain;
  }
  // The sweep contains values where the single-product forms differ from
  // other ways of computing the power, so the checks above mean something.
  EXPECT_GT(cube_differs_from_double, 0);
  EXPECT_GT(fourth_differs_from_chain, 0);
}

TEST(Powers, RealPowerIsTheLibraryPowerEvenForASquare) {
  // Wave numbers of a spectrum lie between 0 and about 25; collect some for
  // which the library's powf(k, 2) is not the rounded k*k.
  std::vector<float> differing;
  for (float k = 0.5f; k < 25.0f && differing.size() < 200; k = std::nextafter(k, 100.0f)) {
    if (library_powf(k, 2.0f) != k * k) differing.push_back(k);
  }
  ASSERT_FALSE(differing.empty()) << "the C library's powf(k, 2) equals k*k for every k tried";
  for (float k : differing) {
    EXPECT_EQ(real_power(k, 2.0f), library_powf(k, 2.0f)) << "k = " << k;
    EXPECT_NE(real_power(k, 2.0f), k * k) << "k = " << k;
  }
  EXPECT_EQ(real_power(3.7f, 0.5f), library_powf(3.7f, 0.5f));
  EXPECT_EQ(real_power(0.0f, 2.0f), 0.0f);
}

}  // namespace
}  // namespace xas
