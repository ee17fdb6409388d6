#include "output/plot_scripts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "driver/run.h"
#include "support/expected_text.h"
#include "support/in_directory.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::fixed;
using test::InDirectory;
using test::padded;
using test::ScratchDir;
using test::split_lines;
using test::TestRun;
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
    TestRun t;
    t->data.n = 4;
    t->exafs.n = 4;
    t->exafs.k(3) = 17.5f;  // the next-to-last point does not count
    t->exafs.k(4) = c.last;
    t->examax = 0.05f;
    set_exafs_plot_limits(t.run());
    EXPECT_EQ(t->lmax, c.lmax) << c.last;
    EXPECT_EQ(t->exalim, 0.05f);
  }
}

// A run with a small spectrum around an edge at 8.98012 keV.
struct PlotRun {
  ScratchDir dir;
  TestRun t;
  xas::Run& run = t.run();
  const std::string file = "data/run1/cu_foil.dat";

  PlotRun() {
    run.base = Name90("cu_foil");
    run.ifi = 7;
    run.file = Name90(file);
    run.model.spl0.e0 = 8.98012f;
    run.ajump = 1.23456f;
    run.slp = 25.1234f * 1.23456f;
    run.ewl = 8.99512f;
    run.wl = 1.5f * 1.23456f;
    run.aa = 0.02f;
    run.bb = 0.1f;
    run.deriv.n = 2;
    run.deriv.emid(1) = 8.9795f;
    run.deriv.slope(1) = 12.345f;
    run.deriv.emid(2) = 8.99f;
    run.deriv.slope(2) = -3.5f;
    run.data.n = 4;
    const float energy[] = {8.95f, 8.9795f, 8.98012f, 9.0f};
    const float absorption[] = {0.31f, 1.23456f, 1.3f, 1.6f};
    const float fit[] = {9.0f, 9.0f, 1.1f, 1.5f};
    for (int i = 1; i <= 4; ++i) {
      run.data.energy(i) = energy[i - 1];
      run.data.absorption(i) = absorption[i - 1];
      run.fit(i) = fit[i - 1];
    }
    run.rmax = 10.0f;
  }

  std::vector<std::string> write(bool (*writer)(xas::Run&, std::string*), const char* name) {
    std::string err;
    {
      InDirectory in(dir.path());
      EXPECT_TRUE(writer(run, &err)) << err;
    }
    run.unit83.close();
    run.unit86.close();
    run.unit87.close();
    return split_lines(dir.read(name));
  }
};

TEST(AbsorptionPlot, LineByLine) {
  PlotRun p;
  xas::Run& run = p.run;
  const std::vector<std::string> lines = p.write(write_absorption_plot, "cu_foil.topa");

  const float e0 = 8.98012f, e1 = 8.95f, a1 = 0.31f, aa = 0.02f, bb = 0.1f, jump = 1.23456f;
  const float mirror = 2.0f * e0 - e1;
  const float reach = (8.99512f - e1) * 0.2f;
  const float ex_low = 8.99512f - reach, ex_high = 8.99512f + reach;
  const float wl = run.wl;
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
  EXPECT_EQ(p.t.screen(), "\n  >>> opening Topdrawer file for Abs+der: " + padded("cu_foil.topa", 90) +
                              "\n  ... creating new file ...\n");
}

TEST(AbsorptionPlot, ZeroJumpTitles) {
  PlotRun p;
  p.run.ajump = 0.0f;
  p.run.wl = 0.0f;
  const std::vector<std::string> lines = p.write(write_absorption_plot, "cu_foil.topa");
  EXPECT_EQ(lines.at(6), "TITLE 'SLOPE=    Inf");
  EXPECT_EQ(lines.at(7), "TITLE 'JUMP=   0.000");
  EXPECT_EQ(lines.at(9), "TITLE 'HWL=      NaN");
}

void load_exafs(xas::Run& run) {
  run.exafs.n = 5;
  run.ne0 = 3;
  const float k[] = {0.0f, 0.0f, 2.6f, 3.21f, 16.05f};
  const float chi[] = {0.0f, 0.0f, 0.04f, -0.01235f, 123.0f};
  for (int i = 1; i <= 5; ++i) {
    run.exafs.k(i) = k[i - 1];
    run.exafs.chi(i) = chi[i - 1];
  }
  run.lmax = 16;
  run.exalim = 0.3f;
}

TEST(ExafsPlot, LineByLine) {
  PlotRun p;
  load_exafs(p.run);
  const std::vector<std::string> lines = p.write(write_exafs_plot, "cu_foil.tope");
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
  EXPECT_EQ(p.t.screen(), "\n  >>> opening Topdrawer file for Exafs extr.: " +
                              padded("cu_foil.tope", 90) + "\n  ... creating new file ...\n");
}

TEST(ExafsPlot, SmallLimitsInExponentForm) {
  PlotRun p;
  load_exafs(p.run);
  p.run.data.n = 5;
  p.run.examax = 0.05f;
  set_exafs_plot_limits(p.run);
  const std::vector<std::string> lines = p.write(write_exafs_plot, "cu_foil.tope");
  EXPECT_EQ(lines.at(3), " SET LIMITS X 0           17  Y   -5.00000007E-02   5.00000007E-02");
}

TEST(ExafsPlot, NoPointAboveTheEdge) {
  PlotRun p;
  load_exafs(p.run);
  p.run.ne0 = 6;
  const std::vector<std::string> lines = p.write(write_exafs_plot, "cu_foil.tope");
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[8].substr(0, 21), "TITLE 3. 9.7 SIZE 3 '");
  EXPECT_EQ(lines[9], " JOIN 1");
}

TEST(FourierPlot, LineByLine) {
  PlotRun p;
  xas::Run& run = p.run;
  run.fourie.n = 500;
  for (int m = 1; m <= 500; ++m) {
    run.fourie.r(m) = static_cast<float>(m - 1) * 0.02f;
    run.fourie.ft_mod(m) = 0.25f * static_cast<float>(m % 7);
  }
  const std::vector<std::string> lines = p.write(write_fourier_plot, "cu_foil.topf");
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
    ASSERT_EQ(lines[static_cast<std::size_t>(m + 8)], short_row(run.fourie.r(m), run.fourie.ft_mod(m)))
        << m;
  EXPECT_EQ(lines[9].substr(0, 7), "  0.000");
  EXPECT_EQ(lines[508].substr(0, 7), "  9.980");
  EXPECT_EQ(lines[509], " JOIN 1");
  EXPECT_EQ(lines[5].find('\''), 21u);
  EXPECT_EQ(lines[6].find('\''), 21u);
  EXPECT_EQ(p.t.screen(), "\n  >>> opening Topdrawer file for FT: " + padded("cu_foil.topf", 90) +
                              "\n  ... creating new file ...\n");
}

}  // namespace
}  // namespace xas
