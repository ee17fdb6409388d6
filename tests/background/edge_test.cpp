#include "background/edge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "background/simq.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/stage_records.h"

namespace xas {
namespace {

using test::StageRecords;
using test::stage_records;

constexpr float kStep = 1.0f / 64.0f;  // keV; keeps every energy, slope and mid-point exact

void load(StageRecords& r, const std::vector<float>& e, const std::vector<float>& a) {
  r.size(static_cast<int>(e.size()));
  for (std::size_t i = 0; i < e.size(); ++i) {
    r.data.energy(static_cast<int>(i) + 1) = e[i];
    r.data.absorption(static_cast<int>(i) + 1) = a[i];
  }
}

// A spectrum from 8 keV on a grid of 1/64 keV whose interval i has the slope
// slopes[i-1] (per keV). With integer slopes every absorption is a multiple of
// 1/64, so energies, slopes and mid-points are exact in single precision.
void load_slopes(StageRecords& r, const std::vector<int>& slopes) {
  std::vector<float> e, a;
  e.push_back(8.0f);
  a.push_back(1.0f);
  for (int s : slopes) {
    e.push_back(e.back() + kStep);
    a.push_back(a.back() + static_cast<float>(s) * kStep);
  }
  load(r, e, a);
}

std::vector<int> concat(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::vector<int> repeat(int value, int count) { return std::vector<int>(count, value); }

// The parabola y = q1*x^2 + q2*x + q3 fitted by least squares through the
// points (exact through three points), solved independently by Cramer's rule
// in long double. Returns the vertex offset and the value there.
struct Vertex {
  long double offset, value;
};

Vertex parabola_vertex(const std::vector<long double>& x, const std::vector<long double>& y) {
  long double s[5] = {0, 0, 0, 0, 0}, t[3] = {0, 0, 0};
  for (std::size_t i = 0; i < x.size(); ++i) {
    long double p = 1;
    for (int k = 0; k < 5; ++k) {
      s[k] += p;
      if (k < 3) t[k] += p * y[i];
      p *= x[i];
    }
  }
  // Normal equations in (q1, q2, q3).
  long double m[3][3] = {{s[4], s[3], s[2]}, {s[3], s[2], s[1]}, {s[2], s[1], s[0]}};
  long double r[3] = {t[2], t[1], t[0]};
  auto det = [](long double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  long double d = det(m), q[3];
  for (int c = 0; c < 3; ++c) {
    long double mc[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) mc[i][j] = (j == c) ? r[i] : m[i][j];
    q[c] = det(mc) / d;
  }
  long double off = -q[1] / (2 * q[0]);
  return {off, q[0] * off * off + q[1] * off + q[2]};
}

// The edge vertex over the slopes i1..i2, relative to emax.
Vertex derivative_vertex(const StageRecords& r, int i1, int i2) {
  std::vector<long double> x, y;
  for (int j = i1; j <= i2; ++j) {
    x.push_back(static_cast<long double>(r.deriv.emid(j)) - r.edge.emax);
    y.push_back(r.deriv.slope(j));
  }
  return parabola_vertex(x, y);
}

bool locate(StageRecords& r, std::string* err) { return test::run_to(r, test::Step::edge, err); }

// ---------------------------------------------------------------------------
// Derivative spectrum

TEST(EdgeDerivative, SlopesAndMidPointsOfOrderedData) {
  auto t = stage_records();
  load_slopes(*t, concat({repeat(1, 10), {10}, {2, -3}, repeat(-1, 5)}));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  const Data& d = t->data;
  EXPECT_EQ(t->deriv.n, d.n - 1);
  for (int i = 1; i < d.n; ++i) {
    EXPECT_EQ(t->deriv.slope(i),
              (d.absorption(i + 1) - d.absorption(i)) / (d.energy(i + 1) - d.energy(i)));
    EXPECT_EQ(t->deriv.emid(i), (d.energy(i) + d.energy(i + 1)) / 2.0f);
  }
  EXPECT_EQ(t->deriv.slope(11), 10.0f);
  EXPECT_EQ(t->edge.apm, 10.0f);
  EXPECT_EQ(t->edge.emax, t->deriv.emid(11));
}

TEST(EdgeDerivative, EqualNeighbouringEnergiesLeaveTheirSlotsUntouched) {
  // Points 4 and 5 share an energy, and so do points 8, 9 and 10.
  std::vector<float> e, a;
  const std::vector<int> grid = {0, 1, 2, 3, 3, 4, 5, 6, 6, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  const std::vector<float> abs = {1.0f, 1.1f, 1.2f, 1.3f, 1.35f, 1.45f, 1.5f, 1.6f, 1.62f, 1.65f,
                                  1.7f, 1.8f, 2.5f, 2.6f, 2.65f, 2.6f, 2.55f, 2.5f, 2.45f};
  for (int g : grid) e.push_back(8.0f + static_cast<float>(g) * kStep);
  auto t = stage_records();
  load(*t, e, abs);
  const int n = t->data.n;
  for (int i = 1; i <= n; ++i) {
    t->deriv.slope(i) = -7.5f;  // what an earlier content would be
    t->deriv.emid(i) = 1.25f;
  }
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;

  const Data& d = t->data;
  for (int skipped : {4, 8, 9}) {
    EXPECT_EQ(t->deriv.slope(skipped), -7.5f) << "slot " << skipped;
    EXPECT_EQ(t->deriv.emid(skipped), 1.25f) << "slot " << skipped;
  }
  for (int i : {3, 5, 7, 10, 11, 12}) {
    EXPECT_EQ(t->deriv.slope(i),
              (d.absorption(i + 1) - d.absorption(i)) / (d.energy(i + 1) - d.energy(i)))
        << "slot " << i;
    EXPECT_EQ(t->deriv.emid(i), (d.energy(i) + d.energy(i + 1)) / 2.0f) << "slot " << i;
  }
  EXPECT_EQ(t->deriv.n, n - 1);
  EXPECT_EQ(t->deriv.slope(n), -7.5f);  // there is no interval after the last point
}

TEST(EdgeDerivative, EqualLastEnergiesEndTheScanWithinTheData) {
  const std::vector<int> slopes = concat({repeat(1, 10), {10}, {2, -3}, repeat(-1, 5)});
  auto t = stage_records();
  load_slopes(*t, slopes);
  // A repeated measurement at the last energy.
  int n = t->data.n + 1;
  t->size(n);
  t->data.energy(n) = t->data.energy(n - 1);
  t->data.absorption(n) = t->data.absorption(n - 1) + 0.5f;
  for (int i = 1; i <= n; ++i) t->deriv.slope(i) = -7.5f;
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_EQ(t->deriv.n, n - 2);
  EXPECT_EQ(t->deriv.slope(n - 1), -7.5f);
  EXPECT_EQ(t->deriv.slope(n), -7.5f);
}

TEST(EdgeDerivative, AnEnergyBeyondTheLastOneEndsTheScan) {
  auto t = stage_records();
  load_slopes(*t, concat({repeat(1, 10), {10}, {2, -3}, repeat(-1, 8)}));
  const int n = t->data.n;
  t->data.energy(18) = t->data.energy(n) + 1.0f;  // beyond the last energy
  for (int i = 1; i <= n; ++i) t->deriv.slope(i) = -7.5f;
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  // The slope into point 18 is the last one computed.
  EXPECT_EQ(t->deriv.n, 17);
  EXPECT_NE(t->deriv.slope(17), -7.5f);
  for (int i = 18; i < n; ++i) EXPECT_EQ(t->deriv.slope(i), -7.5f) << "slot " << i;
}

// ---------------------------------------------------------------------------
// Steepest slope and edge band

TEST(EdgeBand, TiedSteepestSlopesKeepTheLowerIndex) {
  auto t = stage_records();
  load_slopes(*t, concat({repeat(1, 10), {10, 10}, {1, 2, -3}, repeat(-1, 5)}));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_EQ(t->edge.emax, t->deriv.emid(11));
  EXPECT_EQ(t->edge.apm, 10.0f);
  // Band of two (11, 12), widened below to 10..12.
  EXPECT_EQ(t->edge.i1, 10);
  EXPECT_EQ(t->edge.i2, 12);
}

TEST(EdgeBand, ASingleSlopeIsWidenedOnBothSides) {
  auto t = stage_records();
  load_slopes(*t, concat({repeat(1, 10), {10}, {2, -3}, repeat(-1, 5)}));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_EQ(t->edge.i1, 10);
  EXPECT_EQ(t->edge.i2, 12);
  const Vertex v = derivative_vertex(*t, 10, 12);  // (-h, 1), (0, 10), (h, 2)
  EXPECT_EQ(t->edge.e0, t->edge.emax + static_cast<float>(v.offset));
  EXPECT_NEAR(t->edge.slp, static_cast<double>(v.value), 1e-5);
  EXPECT_NEAR(t->edge.e0, 8.0 + 10.5 / 64.0 + (1.0 / 64.0) / 34.0, 1e-6);
}

TEST(EdgeBand, TwoSlopesAreWidenedBelowOnly) {
  auto t = stage_records();
  load_slopes(*t, concat({repeat(1, 10), {9, 10}, {1, 2, -3}, repeat(-1, 5)}));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_EQ(t->edge.emax, t->deriv.emid(12));
  EXPECT_EQ(t->edge.i1, 10);
  EXPECT_EQ(t->edge.i2, 12);
  const Vertex v = derivative_vertex(*t, 10, 12);  // (-2h, 1), (-h, 9), (0, 10)
  EXPECT_EQ(t->edge.e0, t->edge.emax + static_cast<float>(v.offset));
  EXPECT_NEAR(t->edge.slp, static_cast<double>(v.value), 1e-5);
  // Widening above instead would fit 11..13 and move E0 noticeably.
  const Vertex wrong = derivative_vertex(*t, 11, 13);
  EXPECT_GT(std::fabs(static_cast<double>(v.offset - wrong.offset)), 1e-4);
}

TEST(EdgeBand, ThreeSlopesGiveTheExactParabolaAndASlopeAtTheThresholdEndsTheBand) {
  // apm = 20, threshold 20 * 0.8 = 16: the slopes of 16 on either side are
  // at the threshold and so outside the band.
  auto t = stage_records();
  load_slopes(*t, concat({repeat(1, 9), {16, 17, 20, 18, 16}, {1, 2, -3}, repeat(-1, 5)}));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_EQ(t->edge.emax, t->deriv.emid(12));
  EXPECT_EQ(t->edge.i1, 11);
  EXPECT_EQ(t->edge.i2, 13);
  const Vertex v = derivative_vertex(*t, 11, 13);
  EXPECT_EQ(t->edge.e0, t->edge.emax + static_cast<float>(v.offset));
  EXPECT_NEAR(t->edge.slp, static_cast<double>(v.value), 1e-5);
}

TEST(EdgeBand, WiderBandsUseTheLeastSquaresParabola) {
  for (const std::vector<int>& band :
       {std::vector<int>{17, 20, 19, 18}, std::vector<int>{17, 18, 20, 19, 17},
        std::vector<int>{19, 17, 18, 20, 17, 19, 17}}) {
    auto t = stage_records();
    load_slopes(*t, concat({repeat(1, 10), band, {1, 2, -3}, repeat(-1, 5)}));
    std::string err;
    ASSERT_TRUE(locate(*t, &err)) << err;
    const int i1 = 11, i2 = 10 + static_cast<int>(band.size());
    EXPECT_EQ(t->edge.i1, i1);
    EXPECT_EQ(t->edge.i2, i2);
    const Vertex v = derivative_vertex(*t, i1, i2);
    EXPECT_NEAR(t->edge.e0, t->edge.emax + static_cast<double>(v.offset), 1.5e-6)
        << "band of " << band.size();
    EXPECT_NEAR(t->edge.slp, static_cast<double>(v.value), 1e-4) << "band of " << band.size();
    // No parabola through three neighbouring slopes gives the same edge.
    for (int j = i1 + 1; j < i2; ++j) {
      const Vertex three = derivative_vertex(*t, j - 1, j + 1);
      EXPECT_GT(std::fabs(static_cast<double>(three.offset - v.offset)), 1e-5);
    }
  }
}

// ---------------------------------------------------------------------------
// White line

TEST(WhiteLine, ParabolaThroughTheAbsorptionAroundTheFirstFall) {
  auto t = stage_records();
  load_slopes(*t, concat({repeat(1, 10), {10}, {2, 1, -3, -1}, repeat(-1, 5)}));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  // The first negative slope is slot 14: the parabola goes through points 13..15.
  const Data& d = t->data;
  std::vector<long double> x, y;
  for (int j = 13; j <= 15; ++j) {
    x.push_back(d.energy(j));
    y.push_back(d.absorption(j));
  }
  const Vertex v = parabola_vertex(x, y);
  EXPECT_NEAR(t->edge.ewl, static_cast<double>(v.offset), 2e-6);
  EXPECT_NEAR(t->edge.wl, static_cast<double>(v.value), 2e-6);
  EXPECT_GT(t->edge.ewl, d.energy(13));
  EXPECT_LT(t->edge.ewl, d.energy(14));
  EXPECT_EQ(t->screen.text(), "");
}

// Energies 1, 1.125, ..., 2, then 2 again, then 4, 4.5, 5, 5.5 keV. The slot
// of the repeated energy 2 is not written, so the white line (first negative
// slope, slot 10) takes its straight-line estimate from that unset slot, which
// gives 0; the parabola through the points at 2, 2 and 4 keV has two equal
// rows and cannot be solved.
std::vector<float> singular_energies() {
  std::vector<float> e;
  for (int i = 0; i <= 8; ++i) e.push_back(1.0f + static_cast<float>(i) / 8.0f);
  for (float v : {2.0f, 4.0f, 4.5f, 5.0f, 5.5f}) e.push_back(v);
  return e;
}

std::vector<float> singular_absorption(float a11) {
  std::vector<float> a = {1.0f};
  for (int s : {1, 1, 1, 10, 2, 1, 1, 1}) a.push_back(a.back() + static_cast<float>(s) / 8.0f);
  for (float v : {3.5f, a11, a11 - 0.25f, a11 - 0.5f, a11 - 0.75f}) a.push_back(v);
  return a;
}

TEST(WhiteLine, ASingularParabolaIsReportedAndTheRunGoesOn) {
  auto t = stage_records();
  load(*t, singular_energies(), singular_absorption(3.0f));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_EQ(t->screen.text(), " insufficient precision!!!\n");
  // The elimination stops at its third pivot; what it left is
  // (a11/16, a10 - a11/4, a9 - a10) = (0.1875, 2.75, -0.25), and the white
  // line is taken from those values.
  const double p1 = 0.1875, p2 = 2.75, p3 = -0.25;
  const float ewl0 = static_cast<float>(-((p2 / 2.0) / p1));
  const float q = ewl0 * ewl0;
  EXPECT_EQ(t->edge.ewl, 0.0f + ewl0);
  EXPECT_EQ(t->edge.wl, static_cast<float>(p3 + (p1 * q + ewl0 * p2)));
  // The edge itself is still found from the derivative.
  const Vertex v = derivative_vertex(*t, 3, 5);
  EXPECT_EQ(t->edge.e0, t->edge.emax + static_cast<float>(v.offset));
}

TEST(WhiteLine, AParabolaWithoutCurvatureKeepsTheZeroCrossingAndTakesItsConstant) {
  auto t = stage_records();
  load(*t, singular_energies(), singular_absorption(0.0f));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_EQ(t->screen.text(), " insufficient precision!!!\n");
  // Left by the solver: (0, 3.5, -0.25). No curvature: EWL stays at the
  // straight-line zero crossing (0 here) and the height is the constant term.
  EXPECT_EQ(t->edge.ewl, 0.0f);
  EXPECT_EQ(t->edge.wl, -0.25f);
}

// ---------------------------------------------------------------------------
// Precision of the parabolas on an irregular grid, where single and double
// powers differ: every expected value is formed in the precision stated for
// it, with single terms widened into double sums.

// An arctan edge of width `width` keV at 8.979 keV with a white-line bump of
// height `bump`, on steps of 0.13 to 0.3 eV.
void load_irregular(StageRecords& r, double width, double bump_height) {
  std::vector<float> e, a;
  double en = 8.9700;
  for (int i = 0; i < 160; ++i) {
    const double frac = std::fmod(i * 0.6180339887, 1.0);
    en += 0.00013 + 0.00017 * frac;
    const double u = (en - 8.979) / width;
    const double bump = bump_height * std::exp(-std::pow((en - 8.9815) / 0.0012, 2));
    e.push_back(static_cast<float>(en));
    a.push_back(static_cast<float>(0.4 + 2.5 * (0.5 + std::atan(u) / 3.14159265358979) + bump));
  }
  load(r, e, a);
}

struct EdgeValues {
  float e0, slp, ewl, wl;
};

// E0 and SLOPE from the derivative over the band edge.i1..edge.i2, and EWL and
// HWL from the first negative slope at or above the steepest one.
EdgeValues expected_edge(const StageRecords& r, bool double_powers = false) {
  const Data& d = r.data;
  const Deriv& der = r.deriv;
  const int i1 = r.edge.i1, i2 = r.edge.i2;
  EdgeValues out{};

  // White line.
  int m = 1;
  while (der.emid(m) != r.edge.emax) ++m;
  int c = m;
  while (!(der.slope(c) < 0.0f)) ++c;
  float ewl = (der.emid(c - 1) * der.slope(c) - der.emid(c) * der.slope(c - 1)) /
              (der.slope(c) - der.slope(c - 1));
  double ax[9], b[3];
  for (int r = 0; r < 3; ++r) {
    const int j = c - 1 + r;
    const double x = static_cast<double>(d.energy(j) - ewl);
    ax[r] = x * x;
    ax[3 + r] = x;
    ax[6 + r] = 1.0;
    b[r] = d.absorption(j);
  }
  EXPECT_EQ(simq(ax, b, 3), 0);
  const float ewl0 = b[0] != 0.0 ? static_cast<float>(-((b[1] / 2.0) / b[0])) : 0.0f;
  const float q = ewl0 * ewl0;
  out.wl = static_cast<float>(b[2] + (b[0] * q + ewl0 * b[1]));
  out.ewl = ewl + ewl0;

  // Edge.
  auto xmid = [&](int j) { return (d.energy(j) + d.energy(j + 1)) / 2.0f - r.edge.emax; };
  if (i2 - i1 == 2) {
    for (int r = 0; r < 3; ++r) {
      const float xf = xmid(i1 + r);
      const double x = xf;
      ax[r] = double_powers ? static_cast<double>(xf * xf) : x * x;
      ax[3 + r] = x;
      ax[6 + r] = 1.0;
      b[r] = der.slope(i1 + r);
    }
  } else {
    double sx = 0, sx2 = 0, sx3 = 0, sx4 = 0, sy = 0, sxy = 0, sx2y = 0;
    for (int j = i1; j <= i2; ++j) {
      const float x = xmid(j), y = der.slope(j);
      const double xd = x, yd = y;
      sx += x;
      sx2 += double_powers ? xd * xd : x * x;
      sx3 += double_powers ? xd * xd * xd : (x * x) * x;
      sx4 += double_powers ? xd * xd * xd * xd : (x * x) * (x * x);
      sy += y;
      sxy += double_powers ? xd * yd : x * y;
      sx2y += double_powers ? yd * xd * xd : y * (x * x);
    }
    const double rows[3][3] = {{sx4, sx3, sx2}, {sx3, sx2, sx}, {sx2, sx, double(i2 - i1 + 1)}};
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) ax[k * 3 + r] = rows[r][k];
    b[0] = sx2y;
    b[1] = sxy;
    b[2] = sy;
  }
  EXPECT_EQ(simq(ax, b, 3), 0);
  const float offset = static_cast<float>(-((b[1] / 2.0) / b[0]));
  out.slp = static_cast<float>(b[2] + (b[0] * (offset * offset) + offset * b[1]));
  out.e0 = r.edge.emax + offset;
  return out;
}

TEST(EdgePrecision, LeastSquaresBandAndWhiteLineOnAnIrregularGrid) {
  struct Shape {
    double width, bump;
  };
  int differing = 0;
  for (const Shape& sh : {Shape{0.0009, 0.1}, Shape{0.0009, 0.3}, Shape{0.00123, 0.2},
                          Shape{0.0015, 0.3}, Shape{0.00177, 0.2}}) {
    auto t = stage_records();
    load_irregular(*t, sh.width, sh.bump);
    std::string err;
    ASSERT_TRUE(locate(*t, &err)) << err;
    ASSERT_GT(t->edge.i2 - t->edge.i1, 2) << "width " << sh.width;  // the least-squares parabola
    const EdgeValues want = expected_edge(*t);
    EXPECT_EQ(t->edge.e0, want.e0) << "width " << sh.width;
    EXPECT_EQ(t->edge.slp, want.slp) << "width " << sh.width;
    EXPECT_EQ(t->edge.ewl, want.ewl) << "width " << sh.width;
    EXPECT_EQ(t->edge.wl, want.wl) << "width " << sh.width;
    EXPECT_NEAR(t->edge.e0, 8.979, 5e-4) << "width " << sh.width;
    EXPECT_GT(t->edge.ewl, t->edge.e0) << "width " << sh.width;
    const EdgeValues other = expected_edge(*t, true);
    if (other.e0 != want.e0 || other.slp != want.slp) ++differing;
  }
  // Sums of double powers would give other results for some of these edges:
  // the checks above see the precision of the sums.
  EXPECT_GT(differing, 0);
}

TEST(EdgePrecision, ExactParabolaOnAnIrregularGrid) {
  // A sharp edge: only a few slopes reach 80 % of the steepest.
  for (double width : {0.0001, 0.00012, 0.00015, 0.0002, 0.0003, 0.0005}) {
    auto t = stage_records();
    load_irregular(*t, width, 0.3);
    std::string err;
    ASSERT_TRUE(locate(*t, &err)) << err;
    ASSERT_EQ(t->edge.i2 - t->edge.i1, 2) << "width " << width;
    const EdgeValues want = expected_edge(*t);
    EXPECT_EQ(t->edge.e0, want.e0) << "width " << width;
    EXPECT_EQ(t->edge.slp, want.slp) << "width " << width;
    EXPECT_EQ(t->edge.ewl, want.ewl) << "width " << width;
    EXPECT_EQ(t->edge.wl, want.wl) << "width " << width;
  }
}

// ---------------------------------------------------------------------------
// Spectra the edge cannot be located in

TEST(EdgeFailures, SpectraWithoutAUsableEdgeAreRefusedWithoutOutput) {
  struct Case {
    const char* what;
    std::vector<int> slopes;
  };
  const std::vector<Case> cases = {
      {"straight rising line", repeat(3, 20)},
      {"rise steepest at the last interval", {1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"no fall above the edge", concat({repeat(1, 10), {10}, repeat(1, 10)})},
      {"absorption never rises", concat({repeat(-1, 10), {-10}, repeat(-2, 10)})},
      {"flat", repeat(0, 20)},
  };
  for (const Case& c : cases) {
    auto t = stage_records();
    load_slopes(*t, c.slopes);
    std::string err;
    EXPECT_FALSE(locate(*t, &err)) << c.what;
    EXPECT_FALSE(err.empty()) << c.what;
    EXPECT_EQ(t->screen.text(), "") << c.what;
  }
}

// A derivative parabola that has no maximum cannot place the edge: with no
// curvature the vertex is undefined, and an upward-curved parabola has a
// minimum, here far outside the band. Either the spectrum is refused or the
// edge found lies within the data; an edge outside them must not be reported.
TEST(EdgeFailures, ADerivativeParabolaWithoutAMaximumGivesNoEdgeOutsideTheData) {
  const std::vector<std::vector<int>> bands = {
      {19, 17, 18, 20, 17, 19, 18},      // least-squares curvature exactly zero
      {81, 84, 87, 90, 93, 96, 100},     // curved upwards
      {81, 83, 85, 87, 89, 91, 93, 95, 97, 100},
  };
  for (const auto& band : bands) {
    auto t = stage_records();
    load_slopes(*t, concat({repeat(1, 10), band, {1, 2, -3}, repeat(-1, 5)}));
    std::string err;
    if (locate(*t, &err)) {
      const float e0 = t->edge.e0;
      EXPECT_TRUE(std::isfinite(e0)) << "band of " << band.size();
      EXPECT_GE(e0, t->data.energy(1)) << "band of " << band.size();
      EXPECT_LE(e0, t->data.energy(t->data.n)) << "band of " << band.size();
      EXPECT_TRUE(std::isfinite(t->edge.slp)) << "band of " << band.size();
    } else {
      EXPECT_FALSE(err.empty());
    }
  }
}

// The edge energy asked for: the smoothed derivative's for every spectrum,
// or one given; the specified parabola's where it is sound. The white line
// is the same in every case.
TEST(EdgeRules, SmoothedOrGivenEdgeEnergy) {
  auto load_copper = [] {
    auto t = stage_records();
    std::string err;
    EXPECT_TRUE(load(*t, test::answers(test::example("cu_foil.dat")), &err)) << err;
    return t;
  };
  auto specified = load_copper();
  std::string err;
  ASSERT_TRUE(locate(*specified, &err)) << err;
  EXPECT_FALSE(specified->edge.smoothed);

  auto smooth = load_copper();
  ASSERT_TRUE(locate_edge(smooth->data, smooth->deriv, smooth->edge, smooth->screen,
                          smooth->warnings, &err, EdgeRule{EdgeRule::smooth, 0.0f}))
      << err;
  EXPECT_TRUE(smooth->edge.smoothed);
  EXPECT_NEAR(smooth->edge.e0, specified->edge.e0, 0.0005f);  // keV
  EXPECT_EQ(smooth_edge(smooth->data).e0, smooth->edge.e0);
  EXPECT_EQ(smooth->edge.ewl, specified->edge.ewl);

  auto given = load_copper();
  ASSERT_TRUE(locate_edge(given->data, given->deriv, given->edge, given->screen, given->warnings,
                          &err, EdgeRule{EdgeRule::given, 8.979f}))
      << err;
  EXPECT_EQ(given->edge.e0, 8.979f);
  EXPECT_EQ(given->edge.slp, smooth->edge.slp);
  EXPECT_TRUE(given->warnings.take().empty());
}

// A scan that starts on its edge has no edge band below its steepest rise;
// the smoothed derivative still finds the edge, near the start.
TEST(EdgeRules, AnEdgeAtTheFirstIntervalIsTheSmoothedDerivativesMaximum) {
  auto t = stage_records();
  load_slopes(*t, concat({{10}, repeat(1, 10), {-3}, repeat(-1, 3)}));
  std::string err;
  ASSERT_TRUE(locate(*t, &err)) << err;
  EXPECT_TRUE(t->edge.smoothed);
  EXPECT_LT(t->edge.e0, t->data.energy(4));
  const std::vector<std::string> warnings = t->warnings.take();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("is the maximum of the smoothed derivative"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The whole program on measured and synthetic spectra

struct Report {
  int status = -1;
  double edge = NAN, slope = NAN, jump = NAN, ewl = NAN, hwl = NAN;
  std::string out, err;
};

double report_value(const std::string& out, const std::string& label) {
  std::smatch m;
  const std::regex line("(^|\n) " + label + " +(\\S+) *(\n|$)");
  if (!std::regex_search(out, m, line)) return NAN;
  return std::stod(m[2].str());
}

Report run_example(const std::string& name, const std::string& answers = "\n2\n0\n") {
  test::ScratchDir dir;
  dir.write(name, test::read_file(test::example(name)));
  const test::ProgramResult r = test::run_program(dir.path(), name + answers);
  Report rep;
  rep.status = r.status;
  rep.out = r.out;
  rep.err = r.err;
  rep.edge = report_value(r.out, "EDGE=");
  rep.slope = report_value(r.out, "SLOPE=");
  rep.jump = report_value(r.out, "JUMP=");
  rep.ewl = report_value(r.out, "EWL=");
  rep.hwl = report_value(r.out, "hwl=");
  return rep;
}

void expect_physical(const Report& r, double tabulated_edge, double edge_tolerance) {
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NEAR(r.edge, tabulated_edge, edge_tolerance);
  EXPECT_GT(r.jump, 0.0);
  EXPECT_GT(r.slope, 0.0);
  EXPECT_GT(r.ewl - r.edge, 0.0);
  EXPECT_LT(r.ewl - r.edge, 15.0);
  EXPECT_GT(r.hwl, 0.0);
}

TEST(EdgeReport, CopperFoilEdgeNearItsTabulatedValue) {
  const Report r = run_example("cu_foil.dat");
  expect_physical(r, 8979.0, 5.0);
  EXPECT_NEAR(r.jump, 2.5, 0.5);  // absorption steps from about 0.6 to about 3.1
}

TEST(EdgeReport, GermaniumEdgeNearItsTabulatedValue) {
  const Report r = run_example("ge.dat");
  expect_physical(r, 11103.0, 5.0);
  EXPECT_NEAR(r.jump, 1.0, 0.25);
}

TEST(EdgeReport, SyntheticNickelEdgeAtItsSteepestSlope) {
  const Report r = run_example("ni_synth_15000.dat");
  expect_physical(r, 8333.025, 1.0);
  EXPECT_NEAR(r.jump, 1.0, 0.1);  // made with a jump of 1.00
}

// Three measured spectra from a public library: a vanadium foil whose
// derivative parabola peaks just above its edge band, a MnO XANES scan that
// starts 24 eV below the edge (one pre-edge point) and a 70 eV fluorescence
// XANES scan of sulfur. Each is reduced; the first two say what is doubtful.
TEST(EdgeReport, MeasuredLibrarySpectraAreReducedWithTheirWarnings) {
  struct Case {
    const char* file;
    const char* answers;
    double tabulated_edge;
    const char* warning;
  };
  const Case cases[] = {
      {"V_foil.xdi", "\n4\n1 0\n3 4\n1\n", 5465.0,
       "xasreduce: warning: the edge energy 5466.9 eV lies 1.2 eV above the edge band"},
      {"MnO_rt_01.xdi", "\n4\n1 0\n2 3\n1\n", 6539.0,
       "xasreduce: warning: the pre-edge line rests on one point: point 2 (6521.0 eV)"},
      {"S_elemental_rt_01_mu.dat", "\n4\n1 4\n1\n", 2472.0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const Report r = run_example(c.file, c.answers);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NEAR(r.edge, c.tabulated_edge, 5.0);
    EXPECT_GT(r.jump, 0.0);
    EXPECT_GT(r.slope, 0.0);
    if (c.warning == nullptr)
      EXPECT_EQ(r.err, "");
    else
      EXPECT_EQ(r.err.find(c.warning), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), c.warning ? 1 : 0) << r.err;
  }
}

TEST(EdgeReport, ASpectrumWithoutAnEdgeGivesNoReportAndNoResultFile) {
  test::ScratchDir dir;
  std::string table;
  for (int i = 0; i < 200; ++i)
    table += std::to_string(8800 + i * 2) + " " + std::to_string(0.5 + 0.001 * i) + "\n";
  dir.write("line.dat", table);
  const test::ProgramResult r = test::run_program(dir.path(), "line.dat\n2\n0\n");
  EXPECT_NE(r.status, 0);
  EXPECT_FALSE(r.err.empty());
  EXPECT_EQ(r.out.find("EDGE="), std::string::npos);
  EXPECT_EQ(r.out.find("JUMP="), std::string::npos);
  EXPECT_FALSE(dir.exists("line.gabs"));
}

}  // namespace
}  // namespace xas
