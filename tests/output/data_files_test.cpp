#include "output/data_files.h"

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

std::vector<std::string> fourier_file(const StageRecords& r) {
  TextOut out;
  write_fourier_file(r.params, r.fourie, out);
  return split_lines(out.text());
}

std::vector<std::string> exafs_file(const StageRecords& r) {
  TextOut out;
  write_exafs_file(r.data, r.edge, r.background, r.exafs, r.ne0, out);
  return split_lines(out.text());
}

TEST(FourierFile, HeaderColumnLineAndRows) {
  const auto t = test::stage_records();
  StageRecords& r = *t;
  r.params.akmin = 2.5f;
  r.params.akmax = 15.2345f;
  r.params.dk = 0.5f;
  r.params.wh = 2.0f;
  r.fourie.zero(500);
  for (int m = 1; m <= 500; ++m) {
    r.fourie.r(m) = static_cast<float>(m - 1) * 0.02f;
    r.fourie.ft_mod(m) = 0.5f + 0.01f * std::sin(static_cast<float>(m));
  }
  r.fourie.ft_mod(2) = 0.01235f;
  r.fourie.ft_mod(3) = 123.0f;          // too wide for F8.5
  r.fourie.ft_mod(4) = 99.999999f;      // rounds to 100.00000
  r.fourie.ft_mod(5) = std::numeric_limits<float>::quiet_NaN();
  r.fourie.ft_mod(6) = 99.99999f;
  const std::vector<std::string> lines = fourier_file(r);
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
    expected += fixed(r.fourie.r(m), 6, 3);
    expected += ' ';
    expected += fixed(r.fourie.ft_mod(m), 8, 5);
    ASSERT_EQ(row, expected) << "row " << m;
  }
}

// A spectrum of six points with the edge between points 2 and 3.
void load_exafs(StageRecords& r) {
  r.edge.e0 = 8.98012f;
  r.background.ajump = 1.234567f;
  r.edge.ewl = 8.99512f;
  r.size(6);
  r.exafs.n = 6;
  r.ne0 = 3;
  const float energy[] = {8.95f, 8.98f, 9.0195f, 9.1f, 9.3f, 100.0f};
  const float k[] = {0.0f, 0.0f, 3.21f, 5.6f, 8.4f, 100.0f};
  const float chi[] = {0.0f, 0.0f, -0.01235f, -0.000001f, 123.0f, -10.0f};
  for (int i = 1; i <= 6; ++i) {
    r.data.energy(i) = energy[i - 1];
    r.exafs.k(i) = k[i - 1];
    r.exafs.chi(i) = chi[i - 1];
  }
}

TEST(ExafsFile, HeaderColumnLineAndRowsAboveTheEdge) {
  const auto t = test::stage_records();
  load_exafs(*t);
  const std::vector<std::string> lines = exafs_file(*t);
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
}

TEST(ExafsFile, NoPointAboveTheEdgeLeavesTheHeaderOnly) {
  const auto t = test::stage_records();
  load_exafs(*t);
  t->ne0 = 7;
  const std::vector<std::string> lines = exafs_file(*t);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 8), "# EDGE= ");
  EXPECT_EQ(lines[1].substr(0, 2), " #");
}

// Both files through a result set: announced with their kind, created, or
// replacing an older file whole.
TEST(DataFiles, WrittenAsResultFilesCreatedOrReplaced) {
  const auto t = test::stage_records();
  StageRecords& r = *t;
  load_exafs(r);
  r.fourie.zero(500);
  struct Case {
    const ResultKind& kind;
    std::string old_text;  // "": no older file
  };
  const Case cases[] = {
      {kFourierFile, ""},
      {kExafsFile, ""},
      {kFourierFile, std::string(100000, 'x') + "\n"},
      {kExafsFile, "old line\nold line\nold line\nold line\nold line\nold line\nold line\n"},
  };
  for (const Case& c : cases) {
    const bool fourier = &c.kind == &kFourierFile;
    ScratchDir dir;
    const std::string name = std::string("cu") + c.kind.extension;
    if (!c.old_text.empty()) dir.write(name, c.old_text);
    TextOut screen;
    std::string err;
    ASSERT_TRUE(test::write_result_file(
        dir.path(), c.kind, "cu", screen,
        [&](TextOut& out) {
          if (fourier)
            write_fourier_file(r.params, r.fourie, out);
          else
            write_exafs_file(r.data, r.edge, r.background, r.exafs, r.ne0, out);
        },
        &err))
        << err;
    EXPECT_EQ(split_lines(dir.read(name)), fourier ? fourier_file(r) : exafs_file(r)) << name;
    std::string expected = "\n";
    expected += c.kind.announcement + padded(name, 90) + "\n";
    expected += c.old_text.empty() ? "  ... creating new file ...\n"
                                   : "  ... warning! overwriting previous version ...\n";
    EXPECT_EQ(screen.text(), expected) << name;
  }
}

}  // namespace
}  // namespace xas
