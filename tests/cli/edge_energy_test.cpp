// The edge energy of noisy spectra, and the reduction's parameters given on
// the command line.
//
// The noisy series: the copper foil with Gaussian noise of 0.1, 0.2 and 0.3 %
// of its jump, 30 spectra at each level, from a fixed seed. With no option
// none is refused and every edge energy lies within 3 eV of the noise-free
// 8981.10 eV; with --e0 smooth the edge energies of a level spread over at
// most 1 eV and their median lies within 0.5 eV of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/series_data.h"

namespace xas::test {
namespace {

constexpr double kCopperE0 = 8981.10;
constexpr double kCopperJump = 2.501;

TEST(EdgeEnergy, NoisyCopperSeries) {
  const std::vector<std::pair<double, double>> points = copper_points();
  ScratchDir dir;
  Gauss gauss(20261209);
  const double levels[] = {0.1, 0.2, 0.3};
  std::vector<std::string> files;
  for (double level : levels)
    for (int k = 0; k < 30; ++k) {
      char name[32], row[64];
      std::snprintf(name, sizeof name, "cu_%.1f_%02d.dat", level, k);
      std::string text;
      for (const auto& [e, a] : points) {
        std::snprintf(row, sizeof row, "%.3f %.6f\n", e, a + gauss() * level / 100 * kCopperJump);
        text += row;
      }
      dir.write(name, text);
      files.push_back(name);
    }
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.end(), files.begin(), files.end());
    const ProgramResult r = run_program(dir.path(), "", args);
    EXPECT_NE(r.status, 2) << r.err;
    return summary_rows(r.out);
  };
  const std::vector<SummaryRow> plain = run({"-q", "-o", "plain"});
  const std::vector<SummaryRow> smooth = run({"-q", "-o", "smooth", "--e0", "smooth"});
  ASSERT_EQ(plain.size(), files.size());
  ASSERT_EQ(smooth.size(), files.size());
  for (const SummaryRow& row : plain) {
    EXPECT_EQ(row.at("status"), "ok") << row.at("file") << ": " << row.at("message");
    EXPECT_LE(std::fabs(number(row, "e0_eV") - kCopperE0), 3.0)
        << row.at("file") << ": " << row.at("message");
  }
  for (std::size_t level = 0; level < 3; ++level) {
    std::vector<double> e0;
    for (std::size_t k = 0; k < 30; ++k) {
      const SummaryRow& row = smooth[level * 30 + k];
      EXPECT_EQ(row.at("status"), "ok") << row.at("file") << ": " << row.at("message");
      EXPECT_NE(row.at("message").find("--e0 smooth"), std::string::npos) << row.at("message");
      e0.push_back(number(row, "e0_eV"));
    }
    std::sort(e0.begin(), e0.end());
    EXPECT_LE(e0.back() - e0.front(), 1.0) << "noise " << levels[level] << " %";
    EXPECT_LE(std::fabs((e0[14] + e0[15]) / 2 - kCopperE0), 0.5) << "noise " << levels[level] << " %";
  }
}

// Each parameter of the transform, given, shows where the specified files
// show it: the k window, tapers and weight in the Fourier file's header and
// the screen's report, the R range in the number of rows.
TEST(EdgeEnergy, TransformParametersGivenOnTheCommandLine) {
  struct Case {
    std::vector<std::string> options;
    const char* header;  // the first line of BASE.gfou
    int rows;            // its R rows
  };
  const Case cases[] = {
      {{}, "# k interval=    2.50000 -   16.15548 Apodization DK=    0.50000 Weight k^WH WH=   2.00000",
       500},
      {{"--kmin", "3", "--kmax", "12"},
       "# k interval=    3.00000 -   12.00000 Apodization DK=    0.50000 Weight k^WH WH=   2.00000",
       500},
      {{"--kweight", "3", "--dk", "1"},
       "# k interval=    2.50000 -   16.15548 Apodization DK=    1.00000 Weight k^WH WH=   3.00000",
       500},
      {{"--rmax", "6"},
       "# k interval=    2.50000 -   16.15548 Apodization DK=    0.50000 Weight k^WH WH=   2.00000",
       300},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.write("cu.dat", read_file(example("cu_foil.dat")));
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-q", "cu.dat"});
    const ProgramResult r = run_program(dir.path(), "", args);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> gfou = split_lines(dir.read("cu.gfou"));
    ASSERT_FALSE(gfou.empty());
    EXPECT_EQ(gfou[0], c.header);
    EXPECT_EQ(static_cast<int>(gfou.size()) - 2, c.rows);
  }
  // A scan of XANES only is said to be so.
  ScratchDir dir;
  dir.write("s.xdi", read_file(example("S_elemental_rt_01.xdi")));
  const ProgramResult r = run_program(dir.path(), "", {"-q", "s.xdi"});
  EXPECT_NE(r.out.find("XANES only: the data reach k = 3.59/A"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace xas::test
