#include "spectra/signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "background/model.h"
#include "support/scratch_dir.h"
#include "support/stage_records.h"

namespace xas {
namespace {

using test::split_lines;
using test::StageRecords;

// Hides a value from the optimiser, so that exp and atan run at run time in
// the library's single precision instead of being folded by the compiler.
float opaque(float x) {
  volatile float v = x;
  return v;
}

// The hydrogen-like factor above the edge, every step in single precision:
// the exponential over 0.01831564 first, then over (1 + x)^4 formed as
// (y*y)*(y*y), then over (1 - exp(-2pi/u)) with 2pi formed before the division.
float exact_factor(float d, float e0) {
  const float x = opaque(d) / opaque(e0);
  const float u = std::sqrt(x);
  const float four_over_u = 4.0f / u;
  const float t = std::exp(-(four_over_u * std::atan(u)));
  const float y = 1.0f + x;
  const float y2 = y * y;
  const float y4 = y2 * y2;
  const float two_pi = 2.0f * kPi;
  const float tail = 1.0f - std::exp(-(two_pi / u));
  float f = t / 0.01831564f;
  f = f / y4;
  f = f / tail;
  return f;
}

// The same point seen by the real factor: k only decides the form.
float wave_number(float d) { return d > 0.0f ? std::sqrt(262.47f * d) : 0.0f; }

TEST(Normalisation, HydrogenLikeFactorAtTheQuotedPoints) {
  const float e0 = 8.979f;
  struct Case {
    float x;
    float quoted;
  };
  // Just above the edge the factor is about 1 - (8/3) x.
  for (const Case& c : {Case{0.0001f, 0.99973f}, Case{0.1f, 0.77462f}, Case{1.0f, 0.14774f}}) {
    const float d = c.x * e0;
    const float f = normalisation(d, e0, wave_number(d), kPi);
    EXPECT_NEAR(f, c.quoted, 5e-6f) << "x = " << c.x;
    EXPECT_EQ(f, exact_factor(d, e0)) << "x = " << c.x;
  }
  // x = 1: exp(4 - pi) / (16 (1 - exp(-2 pi))).
  const double closed = std::exp(4.0 - M_PI) / (16.0 * (1.0 - std::exp(-2.0 * M_PI)));
  EXPECT_NEAR(normalisation(e0, e0, wave_number(e0), kPi), closed, 2e-7);
}

TEST(Normalisation, SinglePrecisionInTheStatedOrderNearTheEdge) {
  // Close to the edge the single-precision steps decide the last digits (a
  // double-precision evaluation, or 2*(pi/u), or powf for the fourth power,
  // gives another single value at many of these points).
  const float e0 = 8.979f;
  for (float d = 0.0005f; d < 0.02f; d *= 1.07f)
    EXPECT_EQ(normalisation(d, e0, wave_number(d), kPi), exact_factor(d, e0)) << "d = " << d;
}

TEST(Normalisation, LinearFormAtAndBelowTheEdge) {
  const float e0 = 8.979f;
  EXPECT_EQ(normalisation(0.0f, e0, 0.0f, kPi), 1.0f);
  for (float d : {-0.001f, -0.05f, -0.4f}) {
    const float f = normalisation(d, e0, 0.0f, kPi);
    EXPECT_EQ(f, 1.0f - (2.6666667f * d) / e0) << "d = " << d;
    EXPECT_GT(f, 1.0f);
  }
  // k = 0 selects the linear form whatever d is.
  EXPECT_EQ(normalisation(0.02f, e0, 0.0f, kPi), 1.0f - (2.6666667f * 0.02f) / e0);
}

// A run with a background model whose post-edge part is the single edge
// term c (1 - (8/3) x / E0), a pre-edge line and a jump.
struct SignalRun {
  std::unique_ptr<StageRecords> t = test::stage_records();
  StageRecords& r = *t;
  std::vector<float> energy;

  SignalRun(const std::vector<float>& e, const std::vector<float>& a, const std::vector<float>& kk)
      : energy(e) {
    r.logic.fit = 'S';
    r.model.spl0.e0 = 8.979f;
    r.model.spl0.nsp = 1;
    r.model.spl0.npar = 1;
    r.model.spl1.ideg(1) = 1;
    r.model.spl2.coef(1) = 0.25;
    r.background.aa = 0.05f;
    r.background.bb = -0.3f;
    r.background.ajump = 1.2f;
    r.size(static_cast<int>(e.size()));
    for (int i = 1; i <= r.data.n; ++i) {
      r.data.energy(i) = e[i - 1];
      r.data.absorption(i) = a[i - 1];
      r.exafs.k(i) = kk[i - 1];
    }
    r.background.imin = 1;
    r.background.imax = r.data.n;
  }

  float background(int i) const {
    const float d = energy[i - 1] - r.model.spl0.e0;
    float s = 0.0f;
    spline(r.model, d, s);
    return r.background.bb + (r.background.aa * energy[i - 1] + s);
  }

  void extract() {
    extract_signal(r.data, r.model, r.background, r.logic, r.exafs, r.normalised, r.screen);
  }
};

TEST(ExtractSignal, PointsBelowAtAndAboveTheEdge) {
  const float e0 = 8.979f;
  const std::vector<float> e = {8.9f, e0, 9.079f, 9.479f};
  const std::vector<float> a = {0.4f, 0.9f, 1.5f, 1.3f};
  std::vector<float> k;
  for (float ei : e) k.push_back(wave_number(ei - e0));
  SignalRun s(e, a, k);
  s.extract();
  const StageRecords& r = s.r;

  for (int i = 1; i <= 4; ++i) EXPECT_EQ(r.normalised.fit(i), s.background(i)) << "point " << i;

  // Below the edge: no signal; the linear factor exceeds 1, so anor > JUMP.
  const float f1 = 1.0f - (2.6666667f * (e[0] - e0)) / e0;
  EXPECT_EQ(r.exafs.chi(1), 0.0f);
  EXPECT_EQ(r.normalised.anor(1), 1.2f * f1);
  EXPECT_GT(r.normalised.anor(1), 1.2f);

  // Exactly at the edge: f = 1.
  EXPECT_EQ(r.exafs.chi(2), (a[1] - s.background(2)) / 1.2f);
  EXPECT_EQ(r.normalised.anor(2), 1.2f);

  // Above: the exact factor.
  for (int i = 3; i <= 4; ++i) {
    const float f = exact_factor(e[i - 1] - e0, e0);
    EXPECT_EQ(r.exafs.chi(i), ((a[i - 1] - s.background(i)) / 1.2f) / f) << "point " << i;
    EXPECT_EQ(r.normalised.anor(i), 1.2f * f) << "point " << i;
  }

  EXPECT_EQ(r.exafs.n, 4);
  EXPECT_EQ(r.logic.fourier, 'S');
  EXPECT_EQ(r.screen.text(), "  ... Hydrogen-like exact normalization\n");
}

TEST(ExtractSignal, LargestSignalOnlyAboveK3InsideTheFitRange) {
  const float e0 = 8.979f;
  // Points 1-2: k <= 3 with large signals; 3: k > 3 but before imin;
  // 4-6: inside imin..imax; 7: k > 3 after imax.
  const std::vector<float> e = {9.0f, 9.01f, 9.02f, 9.1f, 9.2f, 9.3f, 9.4f};
  const std::vector<float> k = {2.0f, 3.0f, 3.5f, 4.0f, 5.0f, 6.0f, 7.0f};
  std::vector<float> a = {9.0f, 9.0f, 9.0f, 0.0f, 0.0f, 0.0f, 9.0f};
  const SignalRun probe(e, a, k);
  // Absorptions that give chi of +0.1, -0.3, +0.2 at points 4 to 6.
  const float want[] = {0.1f, -0.3f, 0.2f};
  for (int i = 4; i <= 6; ++i)
    a[i - 1] = probe.background(i) + want[i - 4] * 1.2f * exact_factor(e[i - 1] - e0, e0);

  SignalRun s(e, a, k);
  s.r.background.imin = 4;
  s.r.background.imax = 6;
  s.extract();
  for (int i : {1, 2, 3, 7}) EXPECT_GT(std::fabs(s.r.exafs.chi(i)), 1.0f) << "point " << i;
  EXPECT_EQ(s.r.normalised.examax, std::fabs(s.r.exafs.chi(5)));
  EXPECT_NEAR(s.r.normalised.examax, 0.3f, 1e-5f);

  // Nothing with k > 3 inside the range: examax stays 0, also when it held
  // a value before.
  SignalRun none(e, a, {2.0f, 2.5f, 2.9f, 3.0f, 3.0f, 1.0f, 7.0f});
  none.r.background.imin = 1;
  none.r.background.imax = 6;
  none.r.normalised.examax = 5.0f;
  none.extract();
  EXPECT_EQ(none.r.normalised.examax, 0.0f);
}

// The transform parameters chosen for an axis of wave numbers.
std::unique_ptr<StageRecords> choose_for(const std::vector<float>& k) {
  std::unique_ptr<StageRecords> r = test::stage_records();
  r->logic.fourier = 'S';
  r->size(static_cast<int>(k.size()));
  r->exafs.n = r->data.n;
  for (int i = 1; i <= r->data.n; ++i) r->exafs.k(i) = k[i - 1];
  choose_transform(r->data, r->exafs, r->logic, r->params, r->screen);
  return r;
}

TEST(ChooseTransform, ParametersAndReport) {
  const auto r = choose_for({2.0f, 4.0f, 6.0f, 8.0f, 15.2f, 15.3f});
  const TransformParams& p = r->params;
  EXPECT_EQ(p.akmin, 2.5f);
  EXPECT_EQ(p.akmax, 15.2f);  // the next-to-last point, not the last
  EXPECT_EQ(p.dk, 0.5f);
  EXPECT_EQ(p.wh, 2.0f);
  EXPECT_EQ(p.rmin, 0.0f);
  EXPECT_EQ(p.rmax, 10.0f);
  EXPECT_EQ(p.dr, 0.02f);
  EXPECT_EQ(p.n, 500);
  const std::vector<std::string> expected = {
      "  ... Calculating Fourier Transform",
      "  ... k-range:    2.50000000     -   15.1999998    ",
      "  ... window term. and weight:   0.500000000       2.00000000    ",
      "  ... Range R:    0.00000000     -   10.0000000    ",
  };
  EXPECT_EQ(split_lines(r->screen.text()), expected);
}

TEST(ChooseTransform, LastPointNeverSetsTheUpperEnd) {
  const auto r = choose_for({13.0f, 14.0f, 14.05f});
  EXPECT_EQ(r->params.akmax, 14.0f);
  EXPECT_EQ(split_lines(r->screen.text()).at(1),
            "  ... k-range:    2.50000000     -   14.0000000    ");
}

}  // namespace
}  // namespace xas
