#include "output/plot_scripts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "driver/naming.h"
#include "common/text_out.h"
#include "support/expected_text.h"
#include "support/result_file.h"
#include "support/scratch_dir.h"
#include "support/stage_records.h"

namespace xas {
namespace {

using test::fixed;
using test::padded;
using test::ScratchDir;
using test::split_lines;
using test::StageRecords;
using test::two_reals;

// A data row of a script: x as Fw.d (F8.2 by default), y as F8.5.
std::string row(float x, float y, int w = 8, int d = 2) {
  std::string line = " ";
  line += fixed(x, w, d);
  line += ' ';
  line += fixed(y, 8, 5);
  return line;
}

std::string short_row(float x, float y) { return row(x, y, 6, 3); }

TEST(ExafsPlotLimit, LadderBoundaries) {
  const float up = 1.0f;
  EXPECT_EQ(exafs_plot_limit(0.0f), 0.01f);
  struct Step {
    float threshold, at, above;
  };
  for (const Step& s : {Step{0.01f, 0.01f, 0.02f}, Step{0.02f, 0.02f, 0.05f},
                        Step{0.05f, 0.05f, 0.1f}, Step{0.1f, 0.1f, 0.15f},
                        Step{0.15f, 0.15f, 0.2f}, Step{0.2f, 0.2f, 0.25f},
                        Step{0.25f, 0.25f, 0.3f}, Step{0.3f, 0.3f, 0.4f}}) {
    EXPECT_EQ(exafs_plot_limit(s.threshold), s.at) << s.threshold;
    EXPECT_EQ(exafs_plot_limit(std::nextafter(s.threshold, up)), s.above) << s.threshold;
  }
  EXPECT_EQ(exafs_plot_limit(0.5f), 0.4f);
  EXPECT_EQ(exafs_plot_limit(7.0f), 0.4f);
  EXPECT_EQ(exafs_plot_limit(0.03f), 0.05f);
  EXPECT_EQ(exafs_plot_limit(std::numeric_limits<float>::quiet_NaN()), 0.01f);
}

TEST(ExafsPlotLimit, UpperKFromTheLastPoint) {
  struct Case {
    float last;
    int lmax;
  };
  for (const Case& c : {Case{14.7f, 15}, Case{14.0f, 15}, Case{13.99f, 14}}) {
    const auto t = test::stage_records();
    t->size(4);
    t->exafs.n = 4;
    t->exafs.k(3) = 17.5f;  // the next-to-last point does not count
    t->exafs.k(4) = c.last;
    const ExafsPlotLimits limits = exafs_plot_limits(t->data, t->exafs, 0.05f);
    EXPECT_EQ(limits.lmax, c.lmax) << c.last;
    EXPECT_EQ(limits.exalim, 0.05f);
  }
}

// A run with a small spectrum around an edge at 8.98012 keV.
struct PlotRun {
  std::unique_ptr<StageRecords> t = test::stage_records();
  StageRecords& r = *t;
  ExafsPlotLimits limits;
  const std::string file = "data/run1/cu_foil.dat";

  PlotRun() {
    r.request.name = Name90(file);
    r.edge.e0 = 8.98012f;
    r.background.ajump = 1.23456f;
    r.edge.slp = 25.1234f * 1.23456f;
    r.edge.ewl = 8.99512f;
    r.edge.wl = 1.5f * 1.23456f;
    r.background.aa = 0.02f;
    r.background.bb = 0.1f;
    r.size(4);
    r.deriv.n = 2;
    r.deriv.emid(1) = 8.9795f;
    r.deriv.slope(1) = 12.345f;
    r.deriv.emid(2) = 8.99f;
    r.deriv.slope(2) = -3.5f;
    const float energy[] = {8.95f, 8.9795f, 8.98012f, 9.0f};
    const float absorption[] = {0.31f, 1.23456f, 1.3f, 1.6f};
    const float fit[] = {9.0f, 9.0f, 1.1f, 1.5f};
    for (int i = 1; i <= 4; ++i) {
      r.data.energy(i) = energy[i - 1];
      r.data.absorption(i) = absorption[i - 1];
      r.normalised.fit(i) = fit[i - 1];
    }
    r.params.rmax = 10.0f;
  }

  // The script of this kind, for the records as they stand.
  void write(const ResultKind& kind, TextOut& out) const {
    if (&kind == &kAbsorptionPlotFile)
      write_absorption_plot(r.request.name, r.data, r.deriv, r.edge, r.background, r.normalised.fit,
                            out);
    else if (&kind == &kExafsPlotFile)
      write_exafs_plot(r.request.name, limits, r.exafs, r.ne0, out);
    else
      write_fourier_plot(r.request.name, r.params, r.fourie, out);
  }
  std::vector<std::string> lines(const ResultKind& kind) const {
    TextOut out;
    write(kind, out);
    return split_lines(out.text());
  }
};

TEST(AbsorptionPlot, LineByLine) {
  PlotRun p;
  const std::vector<std::string> lines = p.lines(kAbsorptionPlotFile);

  const float e0 = 8.98012f, e1 = 8.95f, a1 = 0.31f, aa = 0.02f, bb = 0.1f, jump = 1.23456f;
  const float mirror = 2.0f * e0 - e1;
  const float reach = (8.99512f - e1) * 0.2f;
  const float ex_low = 8.99512f - reach, ex_high = 8.99512f + reach;
  const float wl = p.r.edge.wl;
  const std::vector<std::string> expected = {
      " SET MODE VECTOR",
      " SET FONT DUPLEX",
      " SET WINDOW X .9 6.3 Y 1.2 6",
      " SET LABEL SIZE 2.",
      "TITLE .2 9.5 SIZE 3 'FILE " + padded(p.file, 90),
      "TITLE 3. 8.5 SIZE 2.5 'EDGE=  8980.1",
      "TITLE 'SLOPE= 25.123",
      "TITLE 'JUMP=   1.235",
      "TITLE 8. 8.5 SIZE 2.5 'EWL=   8995.1",
      "TITLE 'HWL=    1.500",
      " TITLE 3.1 .5 SIZE 2.5 'E(eV)'",
      " TITLE 2. 6.3  SIZE 2.5 'dABS./dE'",
      "   8979.50000       12.3450003    ",
      two_reals(8.99f * 1000.0f, -3.5f),
      " PLOT",
      " SET WINDOW X 7.6 13. Y 1.2 6.",
      " TITLE 9.8 .5 SIZE 2.5 'E(eV)'",
      " TITLE 8.8 6.3 SIZE 2.5 'ABS.'",
      row(8.95f * 1000.0f, 0.31f),
      "  8979.50  1.23456",
      row(e0 * 1000.0f, 1.3f),
      row(9.0f * 1000.0f, 1.6f),
      " PLOT",
      row(e1 * 1000.0f, bb + e1 * aa),
      row(mirror * 1000.0f, bb + mirror * aa),
      " JOIN",
      row(e0 * 1000.0f, a1 - jump * 0.2f),
      row(e0 * 1000.0f, jump * 1.2f + a1),
      " JOIN",
      row(e0 * 1000.0f, 1.1f),  // a point exactly at the edge has its background row
      row(9.0f * 1000.0f, 1.5f),
      " JOIN DASH",
      row(ex_low * 1000.0f, bb + (aa * ex_low + wl)),
      row(ex_high * 1000.0f, bb + (aa * ex_high + wl)),
      " JOIN",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines.at(4).size(), 116u);
  EXPECT_EQ(lines.at(12).size(), 34u);
}

TEST(AbsorptionPlot, ZeroJumpTitles) {
  PlotRun p;
  p.r.background.ajump = 0.0f;
  p.r.edge.wl = 0.0f;
  const std::vector<std::string> lines = p.lines(kAbsorptionPlotFile);
  EXPECT_EQ(lines.at(6), "TITLE 'SLOPE=    Inf");
  EXPECT_EQ(lines.at(7), "TITLE 'JUMP=   0.000");
  EXPECT_EQ(lines.at(9), "TITLE 'HWL=      NaN");
}

void load_exafs(PlotRun& p) {
  StageRecords& r = p.r;
  r.exafs.n = 5;
  r.exafs.k.resize(5);
  r.exafs.chi.resize(5);
  r.ne0 = 3;
  const float k[] = {0.0f, 0.0f, 2.6f, 3.21f, 16.05f};
  const float chi[] = {0.0f, 0.0f, 0.04f, -0.01235f, 123.0f};
  for (int i = 1; i <= 5; ++i) {
    r.exafs.k(i) = k[i - 1];
    r.exafs.chi(i) = chi[i - 1];
  }
  p.limits = ExafsPlotLimits{16, 0.3f};
}

TEST(ExafsPlot, LineByLine) {
  PlotRun p;
  load_exafs(p);
  const std::vector<std::string> lines = p.lines(kExafsPlotFile);
  const std::vector<std::string> expected = {
      " SET MODE VECTOR",
      " SET FONT DUPLEX",
      " SET WINDOW X 2 12.5 Y 1.5 9.2",
      " SET LIMITS X 0           16  Y  -0.300000012      0.300000012    ",
      " SET LABEL SIZE 2.5",
      " TITLE 6.7 .4 SIZE 3 'k1(4A515O20-11)'",
      " CASE                ' U C CVUSVC  C '",
      " TITLE .5 5. SIZE 3 ANGLE 90 'EXAFS'",
      "TITLE 3. 9.7 SIZE 3 '" + padded(p.file, 90),
      "  2.600  0.04000",
      "  3.210 -0.01235",
      " 16.050 ********",
      " JOIN 1",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines.at(8).size(), 111u);
  EXPECT_EQ(lines.at(5).find('\''), 21u);
  EXPECT_EQ(lines.at(6).find('\''), 21u);
}

TEST(ExafsPlot, SmallLimitsInExponentForm) {
  PlotRun p;
  load_exafs(p);
  p.r.size(5);
  p.limits = exafs_plot_limits(p.r.data, p.r.exafs, 0.05f);
  const std::vector<std::string> lines = p.lines(kExafsPlotFile);
  EXPECT_EQ(lines.at(3), " SET LIMITS X 0           17  Y   -5.00000007E-02   5.00000007E-02");
}

TEST(ExafsPlot, NoPointAboveTheEdge) {
  PlotRun p;
  load_exafs(p);
  p.r.ne0 = 6;
  const std::vector<std::string> lines = p.lines(kExafsPlotFile);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[8].substr(0, 21), "TITLE 3. 9.7 SIZE 3 '");
  EXPECT_EQ(lines[9], " JOIN 1");
}

TEST(FourierPlot, LineByLine) {
  PlotRun p;
  Fourie& fourie = p.r.fourie;
  fourie.zero(500);
  for (int m = 1; m <= 500; ++m) {
    fourie.r(m) = static_cast<float>(m - 1) * 0.02f;
    fourie.ft_mod(m) = 0.25f * static_cast<float>(m % 7);
  }
  const std::vector<std::string> lines = p.lines(kFourierPlotFile);
  ASSERT_EQ(lines.size(), 510u);
  const std::vector<std::string> head = {
      " SET MODE VECTOR",
      " SET FONT DUPLEX",
      " SET WINDOW X 2 12.5 Y 1.5 9.2",
      " SET LIMITS X 0    10.0000000      ",
      " SET LABEL SIZE 2.5",
      " TITLE 6.7 .4 SIZE 3 'R1(4A515O2)'",
      " CASE                ' U C CVUSV '",
      " TITLE .5 5. SIZE 3 ANGLE 90 'FOURIER'",
      "TITLE 3. 9.7 SIZE 3 '" + padded(p.file, 90),
  };
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9), head);
  for (int m = 1; m <= 500; ++m)
    ASSERT_EQ(lines[static_cast<std::size_t>(m + 8)], short_row(fourie.r(m), fourie.ft_mod(m)))
        << m;
  EXPECT_EQ(lines[9].substr(0, 7), "  0.000");
  EXPECT_EQ(lines[508].substr(0, 7), "  9.980");
  EXPECT_EQ(lines[509], " JOIN 1");
  EXPECT_EQ(lines[5].find('\''), 21u);
  EXPECT_EQ(lines[6].find('\''), 21u);
}

// The three scripts through a result set: each announced with its kind and
// created with the text its writer gives.
TEST(PlotScripts, WrittenAsResultFiles) {
  PlotRun p;
  load_exafs(p);
  p.r.fourie.zero(500);
  ScratchDir dir;
  TextOut screen;
  std::string expected_screen;
  for (const ResultKind* kind : {&kAbsorptionPlotFile, &kExafsPlotFile, &kFourierPlotFile}) {
    const std::string name = std::string("cu_foil") + kind->extension;
    std::string err;
    ASSERT_TRUE(test::write_result_file(
        dir.path(), *kind, "cu_foil", screen, [&](TextOut& out) { p.write(*kind, out); }, &err))
        << err;
    EXPECT_EQ(split_lines(dir.read(name)), p.lines(*kind)) << name;
    expected_screen += "\n";
    expected_screen += kind->announcement + padded(name, 90) + "\n  ... creating new file ...\n";
  }
  EXPECT_EQ(screen.text(), expected_screen);
}

}  // namespace
}  // namespace xas
