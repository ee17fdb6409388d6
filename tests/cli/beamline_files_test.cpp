// Files as beamlines write them (examples/beamlines/, with their provenance),
// reduced with no option: each gets the sample's channel its provenance note
// names, and an edge energy within 1 eV of the one another XAS tool finds
// on the same absorption; the chi(k) file is refused as such.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas::test {
namespace {

TEST(BeamlineFiles, EachComesOutAsItsNoteSays) {
  struct Case {
    const char* file;
    const char* channel;
    double e0;  // the other tool's edge energy (eV); 0: refused
    const char* refusal;
  };
  const Case cases[] = {
      {"APS9BM_2019.dat", "ln(i0-32/it-32)", 6541.27, ""},
      {"Chorover13BM_ZnSO4_rt_01.xdi", "ln(i0/itrans)", 9663.53, ""},
      {"ESRF_SNBL_2013.dat", "ln(mon/ion1)", 11111.16, ""},
      {"FeO_rt_01.xdi", "ln(i0/itrans)", 7122.93, ""},
      {"PFBL12C_2005.dat", "ln(2/3)", 12286.75, ""},
      {"SSRL1_2006.dat", "ln(i0/i1)", 25521.05, ""},
      {"fexanes_a.001", "sum_fe_ka/i0", 7117.90, ""},
      {"scorodite_as_xafs.001", "ln(i0/i1)", 11872.00, ""},
      {"cu.chi", "", 0, "holds chi(k), not an absorption spectrum"},
  };
  ScratchDir dir;
  std::vector<std::string> args = {"-q", "-o", "out"};
  for (const Case& c : cases) args.push_back(example(std::string("beamlines/") + c.file));
  const ProgramResult r = run_program(dir.path(), "", args);
  EXPECT_EQ(r.status, 1) << r.err;  // the chi(k) file
  const std::vector<std::string> lines = split_lines(r.out);
  ASSERT_EQ(lines.size(), std::size(cases) + 1) << r.out;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.file);
    std::vector<std::string> cells;
    std::size_t at = 0;
    for (const std::string& line = lines[i + 1];;) {
      const std::size_t tab = line.find('\t', at);
      cells.push_back(line.substr(at, tab == std::string::npos ? tab : tab - at));
      if (tab == std::string::npos) break;
      at = tab + 1;
    }
    ASSERT_EQ(cells.size(), 11u);
    if (c.e0 == 0) {
      EXPECT_EQ(cells[1], "refused");
      EXPECT_NE(cells[10].find(c.refusal), std::string::npos) << cells[10];
      continue;
    }
    EXPECT_EQ(cells[1], "ok") << cells[10];
    EXPECT_EQ(cells[2], c.channel);
    EXPECT_LE(std::fabs(std::stod(cells[4]) - c.e0), 1.0) << cells[4] << " " << cells[10];
  }
}

}  // namespace
}  // namespace xas::test
