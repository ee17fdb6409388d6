// The series tools: --align on a reference channel, recovering known shifts
// of the monochromator; --merge, averaging repeats by their noise and leaving
// out a scan whose edge lies apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/merge.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/series_data.h"

namespace xas::test {
namespace {

// The copper foil interpolated at e.
double copper_at(const std::vector<std::pair<double, double>>& points, double e) {
  auto at = std::lower_bound(points.begin(), points.end(), std::make_pair(e, -1e300));
  if (at == points.begin()) return at->second;
  if (at == points.end()) return points.back().second;
  const auto& [e1, a1] = *at;
  const auto& [e0, a0] = *(at - 1);
  return a0 + (e - e0) / (e1 - e0) * (a1 - a0);
}

// A transmission scan with a reference foil behind the sample, both copper,
// taken by a monochromator whose energy reads `shift` eV low; with
// reference = false, without the reference column.
std::string scan(const std::vector<std::pair<double, double>>& points, double shift,
                 bool reference) {
  std::string text = reference ? "# energy i0 itrans irefer\n" : "# energy i0 itrans\n";
  for (const auto& [e, a] : points) {
    const double mu = copper_at(points, e + shift);
    const double itrans = 1e6 * std::exp(-mu), irefer = itrans * std::exp(-mu);
    char row[128];
    if (reference)
      std::snprintf(row, sizeof row, "%.4f 1e6 %.6e %.6e\n", e, itrans, irefer);
    else
      std::snprintf(row, sizeof row, "%.4f 1e6 %.6e\n", e, itrans);
    text += row;
  }
  return text;
}

TEST(SeriesTools, AlignRecoversKnownShifts) {
  const auto points = copper_points();
  ScratchDir dir;
  const double shifts[] = {0.0, 1.7, -2.35, 0.6};
  std::vector<std::string> args = {"-q", "--align"};
  for (int i = 0; i < 4; ++i) {
    const std::string name = "scan" + std::to_string(i) + ".dat";
    dir.write(name, scan(points, shifts[i], true));
    args.push_back(name);
  }
  dir.write("plain.dat", scan(points, 3.0, false));
  args.push_back("plain.dat");
  const ProgramResult r = run_program(dir.path(), "", args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<SummaryRow> rows = summary_rows(r.out);
  ASSERT_EQ(rows.size(), 5u);
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(number(rows[i], "shift_eV"), shifts[i], 0.1) << rows[i].at("file");
  // Aligned, the sample's edges agree as the references' do.
  for (int i = 1; i < 4; ++i)
    EXPECT_NEAR(number(rows[i], "e0_eV"), number(rows[0], "e0_eV"), 0.1) << rows[i].at("file");
  EXPECT_TRUE(std::isnan(number(rows[4], "shift_eV")));
  EXPECT_NE(rows[4].at("message").find("not aligned: no column is named as a reference"),
            std::string::npos)
      << rows[4].at("message");
  EXPECT_NE(read_file(dir.file("scan1.log")).find(" ... energies shifted by +1.70"),
            std::string::npos);

  // On an energy given, every shift moves by the same amount.
  const ProgramResult given =
      run_program(dir.path(), "", {"-q", "--align=8990", "-o", "given", "scan0.dat", "scan1.dat"});
  const std::vector<SummaryRow> moved = summary_rows(given.out);
  ASSERT_EQ(moved.size(), 2u);
  EXPECT_NEAR(number(moved[1], "shift_eV") - number(moved[0], "shift_eV"), 1.7, 0.1);
  EXPECT_NEAR(number(moved[0], "e0_eV"), number(rows[0], "e0_eV") + number(moved[0], "shift_eV"),
              0.1);
}

// A smooth K edge with one EXAFS shell, from 8800 to 9800 eV: no noise of
// its own, so that a merge's noise is the noise added.
double smooth_edge_at(double e) {
  const double x = e - 8979.0;
  const double k = x > 0 ? std::sqrt(0.2625 * x) : 0.0;
  const double chi = x > 0 ? 0.3 * std::sin(2 * k * 2.5 + 0.3) * std::exp(-0.01 * k * k) / (1 + k) : 0;
  return 0.4 - 0.00005 * x + (0.5 + std::atan(x / 1.5) / M_PI) * (1 + chi);
}

TEST(SeriesTools, MergeWeighsRepeatsByTheirNoise) {
  ScratchDir dir;
  Gauss gauss(20261209);
  // Four repeats at noise 0.003, one at 0.006, one whose monochromator read
  // 5 eV off.
  const double noise[] = {0.003, 0.003, 0.003, 0.003, 0.006, 0.003};
  const double offset[] = {0, 0, 0, 0, 0, 5};
  std::vector<std::string> args = {"-q", "--merge"};
  for (int i = 0; i < 6; ++i) {
    std::string text;
    for (double e = 8800.0; e < 9800.0; e += 0.7) {
      char row[64];
      std::snprintf(row, sizeof row, "%.4f %.7f\n", e + offset[i],
                    smooth_edge_at(e) + noise[i] * gauss());
      text += row;
    }
    const std::string name = "rep" + std::to_string(i) + ".dat";
    dir.write(name, text);
    args.push_back(name);
  }
  const ProgramResult r = run_program(dir.path(), "", args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<SummaryRow> rows = summary_rows(r.out);
  ASSERT_EQ(rows.size(), 7u);
  const SummaryRow& merged = rows[6];
  EXPECT_EQ(merged.at("file"), "rep0_merged");
  EXPECT_EQ(merged.at("status"), "ok");
  EXPECT_NE(merged.at("message").find("rep5.dat is left out of the merge: its edge at"),
            std::string::npos)
      << merged.at("message");
  // The weights are the inverse squares of the noise each row reports.
  double total = 0;
  for (int i = 0; i < 5; ++i) total += 1 / std::pow(number(rows[i], "noise"), 2);
  for (int i = 0; i < 5; ++i) {
    char weight[64];
    std::snprintf(weight, sizeof weight, "rep%d.dat (weight %.3f)", i,
                  1 / std::pow(number(rows[i], "noise"), 2) / total);
    EXPECT_NE(merged.at("message").find(weight), std::string::npos) << merged.at("message");
  }
  // The merged noise is the weighted average's: within 20 %.
  EXPECT_NEAR(number(merged, "noise") * std::sqrt(total), 1.0, 0.2);
  EXPECT_FALSE(read_file(dir.file("rep0_merged.gabs")).empty());
}

TEST(SeriesTools, MergePlan) {
  const std::vector<float> none;
  auto input = [&](const char* name, float e0, bool averaged, float noise) {
    return MergeInput{name, &none, &none, e0, averaged, noise};
  };
  struct Case {
    std::vector<MergeInput> inputs;
    std::vector<double> weights;
    std::vector<std::string> left_out;  // the start of each warning
  };
  const Case cases[] = {
      {{input("a", 8979.0f, true, 0.001f), input("b", 8979.1f, true, 0.002f)},
       {0.8, 0.2},
       {}},
      // No noise level to weigh by.
      {{input("a", 8979.0f, true, 0.001f), input("b", 8979.0f, false, 0.0f),
        input("c", 8979.0f, true, 0.001f)},
       {0.5, 0.0, 0.5},
       {"b is left out of the merge: it has no noise level"}},
      // Edges a few hundredths apart stay; one 2 eV off goes.
      {{input("a", 8979.00f, true, 0.001f), input("b", 8979.02f, true, 0.001f),
        input("c", 8979.01f, true, 0.001f), input("d", 8981.0f, true, 0.001f)},
       {1.0 / 3, 1.0 / 3, 1.0 / 3, 0.0},
       {"d is left out of the merge: its edge at 8981.00 eV lies"}},
  };
  for (const Case& c : cases) {
    const MergePlan plan = plan_merge(c.inputs);
    ASSERT_EQ(plan.weights.size(), c.weights.size());
    for (std::size_t i = 0; i < c.weights.size(); ++i)
      EXPECT_NEAR(plan.weights[i], c.weights[i], 1e-9) << c.inputs[i].name;
    ASSERT_EQ(plan.left_out.size(), c.left_out.size());
    for (std::size_t i = 0; i < c.left_out.size(); ++i)
      EXPECT_EQ(plan.left_out[i].rfind(c.left_out[i], 0), 0u) << plan.left_out[i];
  }
}

}  // namespace
}  // namespace xas::test
