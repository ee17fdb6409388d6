#include "output/data_files.h"

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

// A run whose result base name is "cu", writing into a scratch directory.
struct FileRun {
  ScratchDir dir;
  TestRun t;
  xas::Run& run = t.run();
  FileRun() {
    run.base = Name90("cu");
    run.ifi = 2;
  }
};

TEST(FourierFile, HeaderColumnLineAndRows) {
  FileRun f;
  xas::Run& run = f.run;
  run.akmin = 2.5f;
  run.akmax = 15.2345f;
  run.dk = 0.5f;
  run.wh = 2.0f;
  run.fourie.n = 500;
  for (int m = 1; m <= 500; ++m) {
    run.fourie.r(m) = static_cast<float>(m - 1) * 0.02f;
    run.fourie.ft_mod(m) = 0.5f + 0.01f * std::sin(static_cast<float>(m));
  }
  run.fourie.ft_mod(2) = 0.01235f;
  run.fourie.ft_mod(3) = 123.0f;          // too wide for F8.5
  run.fourie.ft_mod(4) = 99.999999f;      // rounds to 100.00000
  run.fourie.ft_mod(5) = std::numeric_limits<float>::quiet_NaN();
  run.fourie.ft_mod(6) = 99.99999f;
  std::string err;
  {
    InDirectory in(f.dir.path());
    ASSERT_TRUE(write_fourier_file(run, &err)) << err;
  }
  run.unit97.close();
  const std::vector<std::string> lines = split_lines(f.dir.read("cu.gfou"));
  ASSERT_EQ(lines.size(), 502u);
  EXPECT_EQ(lines[0],
            "# k interval=    2.50000 -   15.23450 Apodization DK=    0.50000 Weight k^WH WH=   2.00000");
  EXPECT_EQ(lines[0].size(), 90u);
  EXPECT_EQ(lines[1], " # Columns: 1-R (Ang.) 2-FT (X(k)*k**WH)");
  EXPECT_EQ(lines[3], "  0.020  0.01235");
  EXPECT_EQ(lines[4], "  0.040 ********");
  EXPECT_EQ(lines[5], "  0.060 ********");
  EXPECT_EQ(lines[6], "  0.080      NaN");
  EXPECT_EQ(lines[7], "  0.100 99.99999");
  EXPECT_EQ(lines[2].substr(0, 7), "  0.000");
  EXPECT_EQ(lines[501].substr(0, 7), "  9.980");
  for (int m = 1; m <= 500; ++m) {
    const std::string& row = lines[static_cast<std::size_t>(m + 1)];
    ASSERT_EQ(row.size(), 16u) << "row " << m;
    std::string expected = " ";
    expected += fixed(run.fourie.r(m), 6, 3);
    expected += ' ';
    expected += fixed(run.fourie.ft_mod(m), 8, 5);
    ASSERT_EQ(row, expected) << "row " << m;
  }
  const std::string padded_name = padded("cu.gfou", 90);
  EXPECT_EQ(f.t.screen(), "\n  >>> opening gnuplot file for Fourier transform: " + padded_name +
                              "\n  ... creating new file ...\n");
}

// A spectrum of six points with the edge between points 2 and 3.
void load_exafs(xas::Run& run) {
  run.model.spl0.e0 = 8.98012f;
  run.ajump = 1.234567f;
  run.ewl = 8.99512f;
  run.data.n = 6;
  run.exafs.n = 6;
  run.ne0 = 3;
  const float energy[] = {8.95f, 8.98f, 9.0195f, 9.1f, 9.3f, 100.0f};
  const float k[] = {0.0f, 0.0f, 3.21f, 5.6f, 8.4f, 100.0f};
  const float chi[] = {0.0f, 0.0f, -0.01235f, -0.000001f, 123.0f, -10.0f};
  for (int i = 1; i <= 6; ++i) {
    run.data.energy(i) = energy[i - 1];
    run.exafs.k(i) = k[i - 1];
    run.exafs.chi(i) = chi[i - 1];
  }
}

TEST(ExafsFile, HeaderColumnLineAndRowsAboveTheEdge) {
  FileRun f;
  xas::Run& run = f.run;
  load_exafs(run);
  std::string err;
  {
    InDirectory in(f.dir.path());
    ASSERT_TRUE(write_exafs_file(run, &err)) << err;
  }
  run.unit95.close();
  const std::vector<std::string> lines = split_lines(f.dir.read("cu.gexa"));
  const std::vector<std::string> expected = {
      "# EDGE=   8980.12012 JUMP=   1.23457  EWL=  8995.12012",
      " # Columns: 1-k(1/Ang.) 2-X(k)=(Abs-bck)/norm/jump 3-Energy (eV)",
      "  3.210 -0.01235  9019.500000",
      "  5.600 -0.00000 " + fixed(9.1f * 1000.0f, 12, 6),
      "  8.400 ******** " + fixed(9.3f * 1000.0f, 12, 6),
      " ****** ******** ************",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines.at(0).size(), 54u);
  for (std::size_t i = 2; i < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 29u) << i;
  EXPECT_EQ(f.t.screen(), "\n  >>> opening gnuplot file for EXAFS extraction: " + padded("cu.gexa", 90) +
                              "\n  ... creating new file ...\n");
}

TEST(ExafsFile, NoPointAboveTheEdgeLeavesTheHeaderOnly) {
  FileRun f;
  xas::Run& run = f.run;
  load_exafs(run);
  run.ne0 = 7;
  std::string err;
  {
    InDirectory in(f.dir.path());
    ASSERT_TRUE(write_exafs_file(run, &err)) << err;
  }
  run.unit95.close();
  const std::vector<std::string> lines = split_lines(f.dir.read("cu.gexa"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 8), "# EDGE= ");
  EXPECT_EQ(lines[1].substr(0, 2), " #");
}

TEST(DataFiles, SecondWritingReplacesTheFiles) {
  FileRun f;
  f.dir.write("cu.gfou", std::string(100000, 'x') + "\n");
  f.dir.write("cu.gexa", "old line\nold line\nold line\nold line\nold line\nold line\nold line\n");
  xas::Run& run = f.run;
  load_exafs(run);
  run.fourie.n = 500;
  std::string err;
  {
    InDirectory in(f.dir.path());
    ASSERT_TRUE(write_fourier_file(run, &err)) << err;
    ASSERT_TRUE(write_exafs_file(run, &err)) << err;
  }
  run.unit97.close();
  run.unit95.close();
  EXPECT_EQ(split_lines(f.dir.read("cu.gfou")).size(), 502u);
  EXPECT_EQ(f.dir.read("cu.gfou").find('x'), std::string::npos);
  EXPECT_EQ(split_lines(f.dir.read("cu.gexa")).size(), 6u);
  EXPECT_EQ(f.dir.read("cu.gexa").find("old"), std::string::npos);
  const std::string warning = "\n  ... warning! overwriting previous version ...\n";
  EXPECT_EQ(f.t.screen(),
            "\n  >>> opening gnuplot file for Fourier transform: " + padded("cu.gfou", 90) + warning +
                "\n  >>> opening gnuplot file for EXAFS extraction: " + padded("cu.gexa", 90) + warning);
}

}  // namespace
}  // namespace xas
