#include "background/fit.h"

#include <gtest/gtest.h>
#include <math.h>

#include <cmath>
#include <string>
#include <vector>

#include "background/model.h"
#include "background/simq.h"
#include "spectra/kaxis.h"
#include "support/expected_text.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/stage_records.h"

namespace xas {
namespace {

using test::ff_int;
using test::program_real;
using test::StageRecords;
using test::stage_records;

constexpr float kE0 = 8.979f;  // keV

// The segment table: for data reaching `des` keV above E0, the number of
// segments and the fractions of e(n) - E0 at which the inner knots lie.
struct Segments {
  int nsp;
  std::vector<float> fractions;
};

Segments table_row(int nsp) {
  switch (nsp) {
    case 1: return {1, {}};
    case 2: return {2, {0.35f}};
    case 3: return {3, {0.2f, 0.5f}};
    case 4: return {4, {0.1f, 0.25f, 0.55f}};
    default: return {5, {0.08f, 0.2f, 0.45f, 0.75f}};
  }
}

// Inner knots as the table defines them, in single precision.
std::vector<float> inner_knots(float e0, float en, int nsp) {
  std::vector<float> k;
  for (float f : table_row(nsp).fractions) k.push_back(e0 + f * (en - e0));
  return k;
}

// A background with every term of the model in use.
const double kCoef[] = {1.2, -0.4, 0.15, 0.3, -0.2, -0.25, 0.1, 0.2, -0.1, -0.1, 0.05};

// The background model written out in double precision.
double background(double e, double e0, const std::vector<float>& knots) {
  const double x = e - e0;
  double b = kCoef[0] * (1.0 - (8.0 / 3.0) * x / e0) + kCoef[1] * x * x + kCoef[2] * x * x * x;
  int k = 3;
  for (float knot : knots) {
    const double d = e > knot ? e - knot : 0.0;
    b += kCoef[k] * d * d + kCoef[k + 1] * d * d * d;
    k += 2;
  }
  return b;
}

constexpr double kPreSlope = -0.04;  // per keV
constexpr double kPreIntercept = 0.8;

// A spectrum in keV from 8.8 keV in 2 eV steps up to `end`: a straight
// pre-edge line, and above E0 + 0.03 keV that line plus the background model
// with the knots the fit will choose for these data.
void load_synthetic(StageRecords& r, float end, int nsp) {
  std::vector<float> e;
  for (int i = 0;; ++i) {
    const float v = static_cast<float>(8.8 + 0.002 * i);
    if (v > end + 1e-4f) break;
    e.push_back(v);
  }
  const std::vector<float> knots = inner_knots(kE0, e.back(), nsp);
  const float xk1 = kE0 + 0.03f;
  r.edge.e0 = kE0;
  r.size(static_cast<int>(e.size()));
  for (int i = 1; i <= r.data.n; ++i) {
    const double ei = e[static_cast<std::size_t>(i - 1)];
    double a = kPreIntercept + kPreSlope * ei;
    if (e[static_cast<std::size_t>(i - 1)] > xk1) a += background(ei, kE0, knots);
    r.data.energy(i) = e[static_cast<std::size_t>(i - 1)];
    r.data.absorption(i) = static_cast<float>(a);
  }
}

// Edge results as the edge location would leave them.
void set_edge_results(StageRecords& r) {
  r.edge.slp = 150.0f;
  r.edge.ewl = 8.98125f;
  r.edge.wl = 1.6f;
}

// The wave numbers from E0, then the fit, as the program calls them.
void axis(StageRecords& r) { wave_numbers(r.data, r.edge.e0, r.exafs, r.ne0); }

bool fit_only(StageRecords& r, std::string* err) {
  return fit_background(r.edge, r.exafs.k, r.data, r.deriv, r.logic, r.model, r.background,
                        r.screen, r.warnings, err);
}

bool fit(StageRecords& r, std::string* err) {
  axis(r);
  return fit_only(r, err);
}

// The fit refuses the data with a message and prints no report.
void expect_refused_without_report(StageRecords& r) {
  std::string err;
  EXPECT_FALSE(fit(r, &err));
  EXPECT_FALSE(err.empty());
  EXPECT_EQ(r.screen.text().find("EDGE="), std::string::npos);
  EXPECT_EQ(r.screen.text().find("JUMP="), std::string::npos);
}

std::vector<std::string> parameter_lines(int npar, int nsp, const std::vector<int>& degrees) {
  std::string deg = "  >>> degrees of the splines:";
  for (int d : degrees) {
    deg += ' ';
    deg += ff_int(d);
  }
  return {"  >>> total number of bckg par.: " + ff_int(npar),
          "  >>> number of diff. splines: " + ff_int(nsp), deg};
}

std::vector<std::string> report_lines(const StageRecords& r) {
  const float ajump = r.background.ajump;
  return {" EDGE=  " + program_real(r.edge.e0 * 1000.0f),
          " SLOPE= " + program_real(r.edge.slp / ajump),
          " JUMP=  " + program_real(ajump),
          " EWL=   " + program_real(r.edge.ewl * 1000.0f),
          " hwl=   " + program_real(r.edge.wl / ajump)};
}

// The pre-edge line over points first..last: double sums of single terms.
struct Line {
  float aa, bb;
  bool operator==(const Line& o) const { return aa == o.aa && bb == o.bb; }
};

Line pre_edge(const Data& d, int first, int last) {
  double se = 0, se2 = 0, sae = 0, sa = 0;
  int j = 0;
  for (int i = first; i <= last; ++i) {
    const float e = d.energy(i), a = d.absorption(i);
    se += e;
    se2 += e * e;
    sae += a * e;
    sa += a;
    ++j;
  }
  const double det = se2 * j - se * se;
  return {static_cast<float>((sae * j - sa * se) / det), static_cast<float>((se2 * sa - sae * se) / det)};
}

// ---------------------------------------------------------------------------
// Segments

TEST(BackgroundSegments, AValueExactlyAtAThresholdBelongsToTheLowerRow) {
  struct Step {
    float threshold;
    int below_or_at, above;
  };
  for (const Step& s : {Step{0.2f, 1, 2}, Step{0.5f, 2, 3}, Step{0.9f, 3, 4}, Step{1.3f, 4, 5}}) {
    // E0 = t and e(n) = 2t make e(n) - E0 exactly the single-precision t.
    const float e0 = s.threshold, at = 2.0f * s.threshold;
    ASSERT_EQ(at - e0, s.threshold);
    auto t = stage_records();
    t->size(3);
    t->data.energy(3) = at;
    choose_segments(t->data, e0, t->model, t->background);
    EXPECT_EQ(t->model.spl0.nsp, s.below_or_at) << "e(n) - E0 = " << s.threshold;

    auto u = stage_records();
    u->size(3);
    u->data.energy(3) = std::nextafter(at, 100.0f);
    choose_segments(u->data, e0, u->model, u->background);
    EXPECT_EQ(u->model.spl0.nsp, s.above) << "just above " << s.threshold;
  }
}

TEST(BackgroundSegments, KnotsWeightAndTermCountsOfEveryRow) {
  struct Case {
    float end;
    int nsp;
  };
  for (const Case& c : {Case{9.1f, 1}, Case{9.4f, 2}, Case{9.8f, 3}, Case{10.2f, 4}, Case{10.5f, 5}}) {
    auto t = stage_records();
    t->size(2);
    t->data.energy(1) = 8.8f;
    t->data.energy(2) = c.end;
    choose_segments(t->data, kE0, t->model, t->background);
    const Spl1& spl1 = t->model.spl1;
    ASSERT_EQ(t->model.spl0.nsp, c.nsp) << "end " << c.end;
    EXPECT_EQ(spl1.xk(1), kE0 + 0.03f);
    const std::vector<float> inner = inner_knots(kE0, c.end, c.nsp);
    for (int s = 2; s <= c.nsp; ++s)
      EXPECT_EQ(spl1.xk(s), inner[static_cast<std::size_t>(s - 2)]) << "knot " << s << ", end " << c.end;
    EXPECT_EQ(spl1.xk(c.nsp + 1), c.end + 0.003f);
    for (int s = 1; s <= c.nsp; ++s) EXPECT_EQ(spl1.ideg(s), 3);
    EXPECT_EQ(t->background.whf, 2.0f);
    EXPECT_EQ(t->model.spll.mode, 'S');
  }
}

// ---------------------------------------------------------------------------
// Pre-edge line

TEST(PreEdgeLine, RunsFromPointTwoToTheFirstPointAboveTheLimit) {
  const float e1 = kE0 - kE0 * 0.005f;
  std::vector<float> e;
  for (int k = 0; k <= 26; ++k) e.push_back(static_cast<float>(8.8 + 0.005 * k));
  e.push_back(e1);            // exactly at the limit: included, and the line goes on
  e.push_back(e1 + 0.0015f);  // the first point above the limit: the last one included
  const int last = static_cast<int>(e.size());
  for (int k = 0; 8.94 + 0.002 * k < 10.4; ++k) e.push_back(static_cast<float>(8.94 + 0.002 * k));

  auto t = stage_records();
  load_synthetic(*t, 10.4f, 5);
  t->size(static_cast<int>(e.size()));
  Data& d = t->data;
  const std::vector<float> knots = inner_knots(kE0, e.back(), 5);
  for (int i = 1; i <= d.n; ++i) {
    const double ei = e[static_cast<std::size_t>(i - 1)];
    double a = kPreIntercept + kPreSlope * ei;
    if (i == 1) a = 5.0;                   // far off the line
    if (i == last) a += 0.02;              // off the line, so that it counts
    if (i > last) a += 0.3;                // above the edge
    if (ei > kE0 + 0.03f) a += background(ei, kE0, knots);
    d.energy(i) = e[static_cast<std::size_t>(i - 1)];
    d.absorption(i) = static_cast<float>(a);
  }
  set_edge_results(*t);
  std::string err;
  ASSERT_TRUE(fit(*t, &err)) << err;

  const Line expected = pre_edge(d, 2, last);
  EXPECT_EQ(t->background.aa, expected.aa);
  EXPECT_EQ(t->background.bb, expected.bb);
  // The neighbouring choices give other lines, so the range is pinned down.
  EXPECT_FALSE(pre_edge(d, 1, last) == expected);
  EXPECT_FALSE(pre_edge(d, 2, last - 1) == expected);
  EXPECT_FALSE(pre_edge(d, 2, last + 1) == expected);
  EXPECT_FALSE(pre_edge(d, 2, last - 2) == expected);
  EXPECT_NEAR(t->background.aa, kPreSlope, 0.05);
}

TEST(PreEdgeLine, AbsorptionLessTheLineAndTheReducedSlopes) {
  auto t = stage_records();
  load_synthetic(*t, 10.4f, 5);
  const int n = t->data.n;
  for (int i = 1; i <= n; ++i) t->deriv.slope(i) = 0.37f * static_cast<float>(i % 11) - 1.0f;
  set_edge_results(*t);
  std::string err;
  ASSERT_TRUE(fit(*t, &err)) << err;
  EXPECT_NEAR(t->background.aa, kPreSlope, 1e-4);
  EXPECT_NEAR(t->background.bb, kPreIntercept, 1e-3);
  const Background& line = t->background;
  const Data& d = t->data;
  for (int i = 1; i <= n; ++i) {
    ASSERT_EQ(d.abs_lin(i), (d.absorption(i) - line.aa * d.energy(i)) - line.bb) << "point " << i;
    // Every slot, the last one included, loses the pre-edge slope.
    ASSERT_EQ(t->deriv.slope(i), (0.37f * static_cast<float>(i % 11) - 1.0f) - line.aa)
        << "slot " << i;
  }
}

// ---------------------------------------------------------------------------
// Parameter lines, report and fit range

TEST(BackgroundFit, ParameterLinesAndReportForEverySegmentCount) {
  struct Case {
    float end;
    int nsp, npar;
    std::vector<int> degrees;
  };
  const std::vector<Case> cases = {
      {9.15f, 1, 3, {3}},
      {9.4f, 2, 5, {3, 2}},
      {9.7f, 3, 7, {3, 2, 2}},
      {10.1f, 4, 9, {3, 2, 2, 2}},
      {10.4f, 5, 11, {3, 2, 2, 2, 2}},
  };
  for (const Case& c : cases) {
    auto t = stage_records();
    load_synthetic(*t, c.end, c.nsp);
    set_edge_results(*t);
    std::string err;
    ASSERT_TRUE(fit(*t, &err)) << err;
    EXPECT_EQ(t->model.spl0.nsp, c.nsp);
    EXPECT_EQ(t->model.spl0.npar, c.npar);
    for (int s = 1; s <= c.nsp; ++s)
      EXPECT_EQ(t->model.spl1.ideg(s), c.degrees[static_cast<std::size_t>(s - 1)]);
    std::vector<std::string> expected = parameter_lines(c.npar, c.nsp, c.degrees);
    for (const std::string& line : report_lines(*t)) expected.push_back(line);
    EXPECT_EQ(test::split_lines(t->screen.text()), expected) << "end " << c.end;
    EXPECT_EQ(t->logic.fit, 'S');
  }
}

TEST(BackgroundFit, ReportShowsEdgeSlopeJumpAndWhiteLine) {
  auto t = stage_records();
  load_synthetic(*t, 10.4f, 5);
  set_edge_results(*t);
  std::string err;
  ASSERT_TRUE(fit(*t, &err)) << err;
  const std::vector<std::string> lines = test::split_lines(t->screen.text());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], " EDGE=  " + program_real(kE0 * 1000.0f));
  EXPECT_EQ(lines[3], " EDGE=    8979.00000    ");
  EXPECT_EQ(t->background.ajump, static_cast<float>(t->model.spl2.coef(1)));
  EXPECT_EQ(lines[4], " SLOPE= " + program_real(150.0f / t->background.ajump));
  EXPECT_EQ(lines[5], " JUMP=  " + program_real(t->background.ajump));
  EXPECT_EQ(lines[6], " EWL=   " + program_real(8.98125f * 1000.0f));
  EXPECT_EQ(lines[6], " EWL=     8981.25000    ");
  EXPECT_EQ(lines[7], " hwl=   " + program_real(1.6f / t->background.ajump));
}

TEST(BackgroundFit, RangeStartsAboveTheFirstKnotAndEndsBeforeTheLastPoint) {
  auto t = stage_records();
  load_synthetic(*t, 10.4f, 5);
  Data& d = t->data;
  const float xk1 = kE0 + 0.03f;
  int first_above = 1;
  while (!(d.energy(first_above) > xk1)) ++first_above;
  d.energy(first_above - 1) = xk1;  // exactly at the start: not fitted
  set_edge_results(*t);
  std::string err;
  ASSERT_TRUE(fit(*t, &err)) << err;
  EXPECT_EQ(t->model.spl1.xk(1), xk1);
  EXPECT_EQ(t->background.imin, first_above);
  EXPECT_EQ(t->background.imax, d.n - 1);
}

TEST(BackgroundFit, AnEnergyBeyondTheEndOfTheRangeEndsTheFit) {
  auto t = stage_records();
  load_synthetic(*t, 10.4f, 5);
  Data& d = t->data;
  int imin = 1;
  while (!(d.energy(imin) > kE0 + 0.03f)) ++imin;
  const int beyond = imin + 200;
  d.energy(beyond) = d.energy(d.n) + 0.01f;  // above xk(nsp+1) = e(n) + 0.003
  set_edge_results(*t);
  std::string err;
  ASSERT_TRUE(fit(*t, &err)) << err;
  EXPECT_EQ(t->background.imin, imin);
  EXPECT_EQ(t->background.imax, beyond - 1);  // that point is added, then the fit stops
}

TEST(BackgroundFit, ABackgroundThatIsExactlyTheModelIsRecovered) {
  for (int nsp : {1, 3, 5}) {
    const float end = nsp == 1 ? 9.15f : (nsp == 3 ? 9.7f : 10.4f);
    auto t = stage_records();
    load_synthetic(*t, end, nsp);
    set_edge_results(*t);
    std::string err;
    ASSERT_TRUE(fit(*t, &err)) << err;
    EXPECT_NEAR(t->background.ajump, kCoef[0], 2e-3) << nsp << " segments";
    const Data& d = t->data;
    double worst = 0;
    for (int i = t->background.imin; i <= t->background.imax + 1; ++i) {
      float y = 0;
      spline(t->model, d.energy(i) - kE0, y);
      worst = std::fmax(worst, std::fabs(static_cast<double>(y) - d.abs_lin(i)));
    }
    EXPECT_LT(worst, 2e-5) << nsp << " segments";
  }
}

// powf as the C library computes it at run time, out of the optimiser's sight.
float library_powf(float base, float exponent) {
  float (*volatile fn)(float, float) = ::powf;
  return fn(base, exponent);
}

TEST(BackgroundFit, NormalEquationsFromSingleTermsWeightedByTheLibraryPower) {
  // One segment, a few points. The wave numbers are moved to nearby values at
  // which powf(k, 2) is not k*k, so the weight's form shows in the solution.
  auto t = stage_records();
  load_synthetic(*t, 9.15f, 1);
  set_edge_results(*t);
  axis(*t);
  Data& d = t->data;
  for (int i = 1; i <= d.n; ++i) {
    float& k = t->exafs.k(i);
    if (k == 0.0f) continue;
    while (library_powf(k, 2.0f) == k * k) k = std::nextafter(k, 100.0f);
  }
  std::string err;
  ASSERT_TRUE(fit_only(*t, &err)) << err;
  ASSERT_EQ(t->model.spl0.npar, 3);

  auto solve = [&](bool library_weight) {
    double as[3][3] = {}, rhs[3] = {};
    for (int i = t->background.imin; i <= t->background.imax + 1; ++i) {
      const float k = t->exafs.k(i);
      const float w = library_weight ? library_powf(k, 2.0f) : k * k;
      const float ec = d.energy(i) - kE0;
      const double ff[3] = {static_cast<double>(1.0f - (2.6666667f * ec) / kE0),
                            static_cast<double>(ec * ec), static_cast<double>((ec * ec) * ec)};
      const float al = (d.absorption(i) - t->background.aa * d.energy(i)) - t->background.bb;
      for (int it = 0; it < 3; ++it) {
        rhs[it] = rhs[it] + w * (static_cast<double>(al) * ff[it]);
        for (int jt = it; jt < 3; ++jt) as[it][jt] = as[it][jt] + w * (ff[it] * ff[jt]);
      }
    }
    double cc[9];
    for (int c = 0; c < 3; ++c)
      for (int r = 0; r < 3; ++r) cc[c * 3 + r] = r <= c ? as[r][c] : as[c][r];
    EXPECT_EQ(simq(cc, rhs, 3), 0);
    return std::vector<double>(rhs, rhs + 3);
  };
  const std::vector<double> expected = solve(true);
  const std::vector<double> with_square = solve(false);
  ASSERT_NE(expected, with_square);
  for (int it = 1; it <= 3; ++it) EXPECT_EQ(t->model.spl2.coef(it), expected[static_cast<std::size_t>(it - 1)]);
  EXPECT_EQ(t->background.ajump, static_cast<float>(expected[0]));
}

TEST(BackgroundFit, ASingularSystemIsReportedBetweenTheParameterLinesAndTheReport) {
  auto t = stage_records();
  load_synthetic(*t, 9.4f, 2);
  set_edge_results(*t);
  axis(*t);
  // With every weight zero the normal equations vanish.
  for (int i = 1; i <= t->data.n; ++i) t->exafs.k(i) = 0.0f;
  std::string err;
  ASSERT_TRUE(fit_only(*t, &err)) << err;
  const std::vector<std::string> lines = test::split_lines(t->screen.text());
  ASSERT_EQ(lines.size(), 9u);
  const std::vector<std::string> params = parameter_lines(5, 2, {3, 2});
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3), params);
  EXPECT_EQ(lines[3], " Singular matrix!!!!!");
  EXPECT_EQ(lines[4].substr(0, 7), " EDGE= ");
  EXPECT_EQ(lines[6].substr(0, 7), " JUMP= ");
}

// ---------------------------------------------------------------------------
// Data the fit cannot work with

// The line through point 2 alone is computed as for any range (its
// determinant is a difference of roundings), with a warning.
TEST(BackgroundFit, OnePreEdgePointGivesALineAndAWarning) {
  auto t = stage_records();
  load_synthetic(*t, 10.4f, 5);
  Data& d = t->data;
  // Keep one point below the pre-edge limit: the line would rest on point 2 alone.
  int first = 1;
  while (d.energy(first + 1) < kE0 - kE0 * 0.005f) ++first;
  const int n = d.n - first + 1;
  for (int i = 1; i <= n; ++i) {
    d.energy(i) = d.energy(i + first - 1);
    d.absorption(i) = d.absorption(i + first - 1);
  }
  d.n = n;  // the points beyond are no longer read
  ASSERT_LT(d.energy(1), kE0 - kE0 * 0.005f);
  ASSERT_GT(d.energy(2), kE0 - kE0 * 0.005f);
  set_edge_results(*t);
  std::string err;
  ASSERT_TRUE(fit(*t, &err)) << err;
  EXPECT_TRUE(std::isfinite(t->background.aa) && std::isfinite(t->background.bb));
  // Held for the driver, which gives it once the run stands; not on the screen.
  EXPECT_EQ(t->screen.text().find("pre-edge"), std::string::npos);
  const std::vector<std::string> warnings = t->warnings.take();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].find("the pre-edge line rests on one point"), 0u) << warnings[0];
}

TEST(BackgroundFit, NoPointsBeyondTheStartOfTheFitAreRefusedWithoutAReport) {
  auto t = stage_records();
  load_synthetic(*t, kE0 + 0.025f, 1);  // data end below E0 + 0.03 keV
  set_edge_results(*t);
  expect_refused_without_report(*t);
}

}  // namespace
}  // namespace xas

namespace xas {
namespace {

// Everything after the fit divides by the jump: only a positive finite jump,
// not many times the range of the absorption, lets the run go on.
TEST(EdgeJump, OnlyAPositiveFiniteJumpWithinReachOfTheDataIsUsable) {
  auto t = stage_records();
  t->size(3);
  t->data.absorption(1) = 0.5f;
  t->data.absorption(2) = 1.5f;  // a range of 1
  t->data.absorption(3) = 1.0f;
  std::string err;
  for (float jump : {2.5f, 1e-6f, 5.0f}) {
    t->background.ajump = jump;
    EXPECT_TRUE(check_jump(t->data, t->background, &err)) << jump;
  }
  for (float jump : {0.0f, -0.0f, -2.71f, 5.0001f, std::numeric_limits<float>::infinity(),
                     std::numeric_limits<float>::quiet_NaN()}) {
    t->background.ajump = jump;
    err.clear();
    EXPECT_FALSE(check_jump(t->data, t->background, &err)) << jump;
    EXPECT_NE(err.find("edge jump"), std::string::npos) << err;
  }
}

}  // namespace
}  // namespace xas
