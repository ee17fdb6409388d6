#include "spectra/noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "background/absorption_file.h"
#include "background/simq.h"
#include "spectra/noise_plot.h"
#include "support/expected_text.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/stage_records.h"

namespace xas {
namespace {

using test::ff_int;
using test::ff_real;
using test::right;
using test::ScratchDir;
using test::split_lines;
using test::StageRecords;
using test::two_reals;

// E12.7 for a positive value: ".ddddddd" then the exponent for 0.d form.
std::string e12_7(float v) {
  if (v == 0.0f) return ".0000000E+00";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6e", static_cast<double>(v));  // d.dddddde+xx
  const std::string s(buf);
  const std::string digits = s.substr(0, 1) + s.substr(2, 6);
  const int exponent = std::atoi(s.c_str() + s.find('e') + 1) + 1;
  std::snprintf(buf, sizeof buf, ".%sE%c%02d", digits.c_str(), exponent < 0 ? '-' : '+',
                std::abs(exponent));
  return buf;
}

std::string i_field(int v, std::size_t w) { return right(std::to_string(v), w); }

TEST(NoiseIntervals, WorkedExample) {
  const Intervals plan = plan_intervals(600, 101);
  EXPECT_EQ(plan.ninter, 25);  // 24.95 rounds to 25
  EXPECT_EQ(plan.npitv, 19);
  EXPECT_EQ(plan.nshow, 3);
  struct Range {
    int m, first, last;
  };
  for (const Range& r : {Range{1, 101, 120}, Range{2, 120, 139}, Range{3, 139, 158},
                         Range{24, 538, 557}, Range{25, 557, 600}}) {
    int mp0 = 0, mp1 = 0;
    interval_range(plan, r.m, 600, 101, &mp0, &mp1);
    EXPECT_EQ(mp0, r.first) << "interval " << r.m;
    EXPECT_EQ(mp1, r.last) << "interval " << r.m;
  }
}

TEST(NoiseIntervals, CountRoundsHalvesAwayFromZero) {
  const int jp0 = 40;
  EXPECT_EQ(plan_intervals(jp0 + 9, jp0).ninter, 0);  // 0.45
  EXPECT_EQ(plan_intervals(jp0, jp0).ninter, 0);
  EXPECT_EQ(plan_intervals(jp0 - 5, jp0).ninter, 0);  // no point above the edge

  const Intervals one = plan_intervals(jp0 + 10, jp0);  // 0.5
  EXPECT_EQ(one.ninter, 1);
  EXPECT_EQ(one.npitv, 10);
  EXPECT_EQ(one.nshow, 1);
  int mp0 = 0, mp1 = 0;
  interval_range(one, 1, jp0 + 10, jp0, &mp0, &mp1);
  EXPECT_EQ(mp0, jp0);
  EXPECT_EQ(mp1, jp0 + 10);  // 11 points

  const Intervals three = plan_intervals(jp0 + 50, jp0);  // 2.5
  EXPECT_EQ(three.ninter, 3);
  EXPECT_EQ(three.npitv, 16);
  interval_range(three, 2, jp0 + 50, jp0, &mp0, &mp1);
  EXPECT_EQ(mp0, jp0 + 16);
  EXPECT_EQ(mp1, jp0 + 32);
  interval_range(three, 3, jp0 + 50, jp0, &mp0, &mp1);
  EXPECT_EQ(mp0, jp0 + 32);
  EXPECT_EQ(mp1, jp0 + 50);  // 19 points

  EXPECT_EQ(plan_intervals(jp0 + 30, jp0).ninter, 2);  // 1.5
  EXPECT_EQ(plan_intervals(jp0 + 49, jp0).ninter, 2);  // 2.45
}

TEST(NoiseIntervals, EveryNshowthIntervalIsReported) {
  const int jp0 = 11;
  for (int ninter = 1; ninter <= 9; ++ninter)
    EXPECT_EQ(plan_intervals(jp0 + 20 * ninter, jp0).nshow, 1) << ninter;
  for (int ninter = 10; ninter <= 19; ++ninter)
    EXPECT_EQ(plan_intervals(jp0 + 20 * ninter, jp0).nshow, 2) << ninter;
  EXPECT_EQ(plan_intervals(jp0 + 20 * 20, jp0).nshow, 3);
  EXPECT_EQ(plan_intervals(jp0 + 20 * 49, jp0).nshow, 5);
}

// The fit of the noise estimate, computed here from its definition: the
// normal equations of the five powers of x, the project's solver, and the
// residuals in the stated precision.
struct Fit {
  std::vector<float> residual;  // signed, one per point of the range
  double rms = 0.0;
};

Fit reference_fit(const Data& data, int mp0, int mp1, float eb, float s) {
  double a[25] = {};
  double c[5] = {};
  for (int j = mp0; j <= mp1; ++j) {
    const float x = (data.energy(j) - eb) + s;
    const float x2 = x * x;
    const float x3 = x2 * x;
    const float x4 = x2 * x2;
    const double b[5] = {1.0, x, x2, x3, x4};
    for (int p = 0; p < 5; ++p) {
      for (int q = p; q < 5; ++q) a[q * 5 + p] += b[p] * b[q];
      c[p] += b[p] * static_cast<double>(data.abs_lin(j));
    }
  }
  for (int p = 0; p < 5; ++p)
    for (int q = 0; q < p; ++q) a[q * 5 + p] = a[p * 5 + q];
  simq(a, c, 5);
  Fit fit;
  double sum = 0.0;
  for (int j = mp0; j <= mp1; ++j) {
    const float x = (data.energy(j) - eb) + s;
    const float x2 = x * x;
    const float x3 = x2 * x;
    const float x4 = x2 * x2;
    const double y = static_cast<double>(data.abs_lin(j)) - c[0] - static_cast<double>(x) * c[1] -
                     static_cast<double>(x2) * c[2] - static_cast<double>(x3) * c[3] -
                     static_cast<double>(x4) * c[4];
    const float r = static_cast<float>(y);
    fit.residual.push_back(r);
    const float r2 = r * r;
    sum += static_cast<double>(r2);
  }
  fit.rms = std::sqrt(sum / static_cast<double>(mp1 - mp0 + 1 - 5));
  return fit;
}

TEST(NoiseFit, ExactQuarticGivesResidualsAtRoundingLevel) {
  const auto t = test::stage_records();
  Data& data = t->data;
  data.zero(30);
  for (int j = 1; j <= 30; ++j) {
    data.energy(j) = 9.0f + 0.004f * static_cast<float>(j);
    const double x = static_cast<double>(data.energy(j) - data.energy(4));
    data.abs_lin(j) = static_cast<float>(0.8 - 2.0 * x + 30.0 * x * x - 150.0 * x * x * x +
                                         4000.0 * x * x * x * x);
  }
  bool singular = true;
  const double rms = noise_fit(data, 5, 24, data.energy(4), 0.0f, &singular);
  EXPECT_FALSE(singular);
  EXPECT_LT(rms, 1e-6);
  for (int j = 5; j <= 24; ++j) EXPECT_LT(data.noise(j), 1e-6f) << j;
  for (int j : {1, 2, 3, 4, 25, 30}) EXPECT_EQ(data.noise(j), 0.0f) << j;

  // A fifth power in the data is not absorbed by the fit.
  for (int j = 1; j <= 30; ++j) {
    const double x = static_cast<double>(data.energy(j) - data.energy(4));
    data.abs_lin(j) += static_cast<float>(1.0e6 * x * x * x * x * x);
  }
  EXPECT_GT(noise_fit(data, 5, 24, data.energy(4), 0.0f, &singular), 1e-5);
}

TEST(NoiseFit, ResidualsAndRmsOfAScatteredRange) {
  const auto t = test::stage_records();
  Data& data = t->data;
  data.zero(40);
  unsigned state = 12345;
  for (int j = 1; j <= 40; ++j) {
    data.energy(j) = 7.9f + 0.0013f * static_cast<float>(j);
    state = state * 1103515245u + 12345u;
    const float scatter = (static_cast<float>((state >> 8) % 2001u) - 1000.0f) * 1.0e-6f;
    data.abs_lin(j) = 0.02f * static_cast<float>(j) + scatter;
  }
  // The pre-edge form: offset of 1 keV from the first energy.
  bool singular = true;
  const double rms = noise_fit(data, 1, 40, data.energy(1), 1.0f, &singular);
  const Fit ref = reference_fit(data, 1, 40, data.energy(1), 1.0f);
  EXPECT_FALSE(singular);
  EXPECT_EQ(rms, ref.rms);
  EXPECT_GT(rms, 1e-4);
  for (int j = 1; j <= 40; ++j) EXPECT_EQ(data.noise(j), std::fabs(ref.residual[j - 1])) << j;

  // The interval form: from the point before, no offset, over 20 points.
  const double rms2 = noise_fit(data, 11, 30, data.energy(10), 0.0f, &singular);
  const Fit ref2 = reference_fit(data, 11, 30, data.energy(10), 0.0f);
  EXPECT_EQ(rms2, ref2.rms);
  for (int j = 11; j <= 30; ++j) EXPECT_EQ(data.noise(j), std::fabs(ref2.residual[j - 11])) << j;
}

// A spectrum of 600 points, 1 eV apart, with an edge at 8 keV: points 1..61
// make the pre-edge range (first energy >= 0.9975 E0 is point 61) and the
// intervals start at point 101 (first energy >= 1.0025 E0).
struct NoiseRun {
  std::unique_ptr<StageRecords> t = test::stage_records();
  StageRecords& r = *t;
  Data& data = r.data;
  const int itop;

  explicit NoiseRun(int n, int top) : itop(top) {
    data.zero(n);
    // With this scatter the average of the double-precision values differs
    // from the average of the printed single-precision ones.
    unsigned state = 3;
    for (int i = 1; i <= n; ++i) {
      const float e = 7.9205f + static_cast<float>(i - 1) * 0.001f;
      data.energy(i) = e;
      state = state * 1664525u + 1013904223u;
      const float scatter = (static_cast<float>(state >> 16) / 65535.0f - 0.5f) * 2.0e-3f;
      data.abs_lin(i) = 0.3f * std::sin(8.0f * e) + scatter;
    }
  }

  // The estimate for an edge at 8 keV; the noise plot is written when itop is 1.
  void estimate() {
    estimate_noise(8.0f, data, r.screen, r.noise);
    if (r.noise.averaged) write_average_noise(r.noise.sxave, r.absorption_file);
    if (itop == 1)
      for (const NoiseRange& range : r.noise.ranges) write_noise_plot_block(data, range, r.noise_plot);
  }
  std::vector<std::string> screen() const { return split_lines(r.screen.text()); }
  std::vector<std::string> gabs() const { return split_lines(r.absorption_file.text()); }
  std::vector<std::string> topn() const { return split_lines(r.noise_plot.text()); }
};

TEST(EstimateNoise, ScreenLinesNoiseColumnAndAverage) {
  NoiseRun s(600, 0);
  s.estimate();
  const Data& data = s.data;

  const Fit pre = reference_fit(data, 1, 61, data.energy(1), 1.0f);
  std::vector<std::string> expected = {
      " " + ff_int(1) + " " + ff_int(61) + "  r m s noise =  " + ff_real(static_cast<float>(pre.rms)),
      "  noise evaluation from point  " + ff_int(101),
      "  in  " + ff_int(25) + "   intervals",
  };
  std::vector<Fit> fits;
  float sxave = 0.0f;
  for (int m = 1; m <= 25; ++m) {
    const int mp0 = 19 * (m - 1) + 101;
    const int mp1 = m == 25 ? 600 : 19 * m + 101;
    fits.push_back(reference_fit(data, mp0, mp1, data.energy(mp0 - 1), 0.0f));
    const float rms = static_cast<float>(fits.back().rms);
    if (m % 3 == 0)
      expected.push_back(" >>> int. n." + i_field(m, 3) + " (" + i_field(mp0, 5) + "-" +
                         i_field(mp1, 5) + " ) r m s noise =          " + e12_7(rms));
    sxave = static_cast<float>(static_cast<double>(sxave) + fits.back().rms);
  }
  sxave = sxave / 25.0f;
  expected.push_back("  >>> average r m s noise =  " + ff_real(sxave));
  const std::vector<std::string> screen = s.screen();
  EXPECT_EQ(screen, expected);
  ASSERT_GT(screen.size(), 3u);
  EXPECT_EQ(screen[3].size(), 66u);
  EXPECT_EQ(screen[3].substr(0, 54), " >>> int. n.  3 (  139-  158 ) r m s noise =          ");

  // The noise column: the pre-edge residuals, nothing strictly between the
  // two ranges, and each interval's residuals, a shared boundary point
  // keeping the later interval's value.
  for (int j = 1; j <= 61; ++j) EXPECT_EQ(data.noise(j), std::fabs(pre.residual[j - 1])) << j;
  for (int j = 62; j <= 100; ++j) EXPECT_EQ(data.noise(j), 0.0f) << j;
  for (int m = 1; m <= 25; ++m) {
    const int mp0 = 19 * (m - 1) + 101;
    const int last = m == 25 ? 600 : 19 * m + 100;  // the shared point belongs to m + 1
    for (int j = mp0; j <= last; ++j)
      ASSERT_EQ(data.noise(j), std::fabs(fits[m - 1].residual[j - mp0])) << m << " " << j;
  }
  EXPECT_NE(std::fabs(fits[0].residual.back()), std::fabs(fits[1].residual.front()));

  // The average also goes into the absorption file, as its only line here.
  const std::vector<std::string> gabs = s.gabs();
  EXPECT_EQ(gabs, std::vector<std::string>{" # average r m s noise =  " + ff_real(sxave)});
  EXPECT_TRUE(s.r.noise.averaged);
  EXPECT_EQ(s.r.noise.sxave, sxave);
}

TEST(EstimateNoise, PlotBlocksForEveryRange) {
  NoiseRun s(600, 1);
  s.estimate();
  const Data& data = s.data;
  const std::vector<std::string> topn = s.topn();

  std::vector<std::string> expected;
  auto block = [&](int mp0, int mp1, const Fit& fit) {
    for (int j = mp0; j <= mp1; ++j)
      expected.push_back(two_reals(data.energy(j), std::fabs(fit.residual[j - mp0])));
    const float rms = static_cast<float>(fit.rms);
    expected.push_back(" plot");
    expected.push_back(two_reals(data.energy(mp0), rms));
    expected.push_back(two_reals(data.energy(mp1), rms));
    expected.push_back(" join");
  };
  block(1, 61, reference_fit(data, 1, 61, data.energy(1), 1.0f));
  for (int m = 1; m <= 25; ++m) {
    const int mp0 = 19 * (m - 1) + 101;
    const int mp1 = m == 25 ? 600 : 19 * m + 101;
    block(mp0, mp1, reference_fit(data, mp0, mp1, data.energy(mp0 - 1), 0.0f));
  }
  ASSERT_EQ(topn.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(topn[i], expected[i]) << "line " << i + 1;
  // Point 120 closes interval 1 and opens interval 2: it is listed in both
  // blocks (lines 66 + 19 and 66 + 24), with two different residuals.
  const std::string e120 = " " + ff_real(data.energy(120)) + " ";
  EXPECT_EQ(topn[65 + 19].rfind(e120, 0), 0u);
  EXPECT_EQ(topn[65 + 24].rfind(e120, 0), 0u);
  EXPECT_NE(topn[65 + 19], topn[65 + 24]);
}

TEST(EstimateNoise, TooFewPointsAboveTheEdgeGiveNoInterval) {
  NoiseRun s(110, 1);  // n - jp0 = 9
  s.r.noise.ranges.resize(3);  // what an earlier spectrum left must be cleared
  s.r.noise.averaged = true;
  s.r.noise.sxave = 1.0f;
  s.estimate();
  const Data& data = s.data;
  const std::vector<std::string> screen = s.screen();
  ASSERT_EQ(screen.size(), 2u);
  EXPECT_EQ(screen[1], "  noise evaluation from point  " + ff_int(101));
  for (int j = 62; j <= 110; ++j) EXPECT_EQ(data.noise(j), 0.0f) << j;
  EXPECT_TRUE(s.gabs().empty());
  EXPECT_EQ(s.topn().size(), 61u + 4u);  // the pre-edge block only
  EXPECT_FALSE(s.r.noise.averaged);
  EXPECT_EQ(s.r.noise.sxave, 0.0f);
}

TEST(EstimateNoise, TenPointsAboveTheEdgeGiveOneInterval) {
  NoiseRun s(111, 0);  // n - jp0 = 10
  s.estimate();
  const Data& data = s.data;
  const Fit fit = reference_fit(data, 101, 111, data.energy(100), 0.0f);
  const std::vector<std::string> screen = s.screen();
  ASSERT_EQ(screen.size(), 5u);
  EXPECT_EQ(screen[2], "  in  " + ff_int(1) + "   intervals");
  EXPECT_EQ(screen[3], " >>> int. n.  1 (  101-  111 ) r m s noise =          " +
                           e12_7(static_cast<float>(fit.rms)));
  const float average = static_cast<float>(fit.rms) / 1.0f;
  EXPECT_EQ(screen[4], "  >>> average r m s noise =  " + ff_real(average));
}

TEST(EstimateNoise, SpectrumEndingBelowTheEdgeBand) {
  // Every point lies below 0.9975 E0: no interval, no average, and nothing
  // is read beyond the spectrum.
  NoiseRun s(40, 0);
  s.estimate();
  for (const std::string& line : s.screen()) {
    EXPECT_EQ(line.find("int. n."), std::string::npos) << line;
    EXPECT_EQ(line.find("average"), std::string::npos) << line;
  }
  EXPECT_TRUE(s.gabs().empty());
}

TEST(NoisePlotFile, HeaderOfARealRun) {
  ScratchDir dir;
  const test::ProgramResult result =
      test::run_program(dir.path(), test::answers(test::example("cu_foil.dat")));
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> topn = split_lines(dir.read("cu_foil.topn"));
  ASSERT_GT(topn.size(), 8u);
  // First and last energies of the file, in keV.
  const float first = static_cast<float>(8002.894) / 1000.0f;
  const float last = static_cast<float>(9978.284) / 1000.0f;
  const std::vector<std::string> header = {
      "  set mode vector",
      "  set font duplex",
      "  set limits x  " + ff_real(first) + " " + ff_real(last),
      "  set limits y .000001 .01",
      "  set scale y log",
      "  set label size 2.5",
      "  title 5.5 0.6 SIZE 2.5 \"E (keV)\"",
      "  title LEFT SIZE 2.5 \"r.m.s. noise\"",
  };
  EXPECT_EQ(std::vector<std::string>(topn.begin(), topn.begin() + 8), header);
  // The pre-edge block follows: its first row is point 1.
  EXPECT_EQ(topn[8].substr(0, 17), " " + ff_real(first));
  EXPECT_EQ(topn.back(), " join");
}

}  // namespace
}  // namespace xas
