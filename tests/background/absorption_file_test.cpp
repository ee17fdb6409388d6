#include "background/absorption_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "driver/naming.h"
#include "results/result_set.h"
#include "common/text_out.h"
#include "support/expected_text.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/stage_records.h"

namespace xas {
namespace {

using test::program_real;
using test::ScratchDir;
using test::StageRecords;
using test::stage_records;

void set_edge(StageRecords& r) {
  r.edge.e0 = 8.979f;
  r.edge.slp = 30.0f;
  r.background.ajump = 1.5f;
  r.edge.ewl = 8.984375f;
  r.edge.wl = 1.875f;
}

// The header as the program starts the file: announced on the screen, opened
// in a result set in `dir` under the base name "cu", and committed.
void write_header_file(StageRecords& r, const ScratchDir& dir) {
  ResultSet results(dir.path());
  std::string err;
  announce_result_file(kAbsorptionFile, "cu", false, r.screen);
  TextOut* gabs = results.open("cu.gabs", &err);
  ASSERT_NE(gabs, nullptr) << err;
  write_absorption_header(r.edge, r.background, *gabs);
  ASSERT_TRUE(results.commit(&err)) << err;
}

TEST(AbsorptionFile, HeaderRepeatsTheEdgeParametersAndNamesTheColumns) {
  ScratchDir dir;
  auto t = stage_records();
  set_edge(*t);
  write_header_file(*t, dir);
  EXPECT_NE(t->screen.text().find("  >>> opening gnuplot file for absorption: "), std::string::npos);

  const std::vector<std::string> lines = test::split_lines(dir.read("cu.gabs"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "# EDGE=   8979.00000 SLOPE=    20.00000 JUMP=   1.50000  EWL=  8984.37500 HWL =   1.25000");
  EXPECT_EQ(lines[0].size(), 89u);
  EXPECT_EQ(lines[1], " # Columns: 1-Energy 2-abs. 3-der. 4-bck 5-abs-lin 6-norm 7-noise");
}

TEST(AbsorptionFile, HeaderFieldsFollowTheValues) {
  auto t = stage_records();
  set_edge(*t);
  t->edge.e0 = 11.103f;
  t->edge.slp = -3.0f;   // SLOPE = -12
  t->background.ajump = 0.25f;
  t->edge.ewl = 11.109375f;
  t->edge.wl = 0.3125f;  // HWL = 1.25
  TextOut gabs;
  write_absorption_header(t->edge, t->background, gabs);
  const std::vector<std::string> lines = test::split_lines(gabs.text());
  ASSERT_GE(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "# EDGE=  11103.00000 SLOPE=   -12.00000 JUMP=   0.25000  EWL= 11109.37500 HWL =   1.25000");
}

TEST(AbsorptionFile, OneRowOfSevenValuesPerPointWithBackgroundAndNormalisationFromNearTheEdge) {
  auto t = stage_records();
  set_edge(*t);
  // An edge whose single-precision 0.998 * E0 lies just below the exact
  // product, so that the point at it tells the single product from others.
  float e0 = 8.979f;
  while (!(static_cast<double>(e0 * 0.998f) < static_cast<double>(e0) * 0.998 &&
           static_cast<double>(e0 * 0.998f) < static_cast<double>(e0) * static_cast<double>(0.998f)))
    e0 = std::nextafter(e0, 10.0f);
  t->edge.e0 = e0;
  const float low = e0 * 0.998f;
  const std::vector<float> energies = {8.9f, std::nextafter(low, 0.0f), low, e0, 9.0f, 9.25f};
  t->size(static_cast<int>(energies.size()));
  Data& d = t->data;
  for (int i = 1; i <= d.n; ++i) {
    const float f = static_cast<float>(i);
    d.energy(i) = energies[static_cast<std::size_t>(i - 1)];
    d.absorption(i) = 0.5f + 0.1f * f;
    t->deriv.slope(i) = -0.25f * f;
    t->normalised.fit(i) = 1.0f + 0.01f * f;
    d.abs_lin(i) = 0.03f * f;
    t->normalised.anor(i) = 1.5f - 0.02f * f;
    d.noise(i) = i % 2 == 0 ? 0.0f : 1e-4f * f;
  }
  const PointValues& fit = t->normalised.fit;
  const PointValues& anor = t->normalised.anor;
  TextOut gabs;
  write_absorption_header(t->edge, t->background, gabs);
  write_absorption_rows(d, t->deriv, t->edge.e0, fit, anor, gabs);

  const std::vector<std::string> lines = test::split_lines(gabs.text());
  ASSERT_EQ(lines.size(), 2u + static_cast<std::size_t>(d.n));
  for (int i = 1; i <= d.n; ++i) {
    const std::string& row = lines[static_cast<std::size_t>(i + 1)];
    const bool below = i <= 2;  // points 1 and 2 lie below 0.998 * E0
    const float want[7] = {d.energy(i) * 1000.0f, d.absorption(i), t->deriv.slope(i),
                           below ? 0.0f : fit(i), d.abs_lin(i), below ? 0.0f : anor(i),
                           d.noise(i)};
    // A free-form record of seven reals: a blank, then 16 columns each,
    // separated by one blank.
    ASSERT_EQ(row.size(), 1u + 7u * 16u + 6u) << "row " << i;
    for (int c = 0; c < 7; ++c) {
      EXPECT_EQ(row.substr(static_cast<std::size_t>(1 + 17 * c), 16), program_real(want[c]))
          << "row " << i << ", column " << c + 1;
      if (c > 0) {
        EXPECT_EQ(row[static_cast<std::size_t>(17 * c)], ' ');
      }
      // Nine significant digits give back the single-precision value.
      EXPECT_EQ(std::stof(row.substr(static_cast<std::size_t>(1 + 17 * c), 16)), want[c])
          << "row " << i << ", column " << c + 1;
    }
  }
  // The point exactly at 0.998 * E0 keeps its background and normalisation.
  EXPECT_EQ(lines[4].substr(1 + 17 * 3, 16), program_real(fit(3)));
  EXPECT_EQ(lines[4].substr(1 + 17 * 5, 16), program_real(anor(3)));
  EXPECT_EQ(lines[3].substr(1 + 17 * 3, 16), "  0.00000000    ");
}

// The whole program on the copper foil: the absorption file holds one row per
// loaded point after its header and the noise summary.
TEST(AbsorptionFile, CopperFoilRun) {
  ScratchDir dir;
  dir.write("cu_foil.dat", test::read_file(test::example("cu_foil.dat")));
  const test::ProgramResult r = test::run_program(dir.path(), "cu_foil.dat\n2\n0\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = test::split_lines(dir.read("cu_foil.gabs"));
  ASSERT_GT(lines.size(), 3u);
  ASSERT_EQ(lines[0].size(), 89u);
  ASSERT_EQ(lines[0].substr(0, 8), "# EDGE= ");
  const double e0 = std::stod(lines[0].substr(8, 12));

  // The screen report and the header agree on the edge.
  const std::size_t at = r.out.find("\n EDGE=  ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(std::stod(r.out.substr(at + 9, 16)), e0, 6e-6 * e0);

  std::vector<std::vector<double>> rows;
  for (std::size_t k = 3; k < lines.size(); ++k) {
    std::istringstream in(lines[k]);
    std::vector<double> v;
    double x;
    while (in >> x) v.push_back(x);
    ASSERT_EQ(v.size(), 7u) << lines[k];
    rows.push_back(v);
  }
  EXPECT_EQ(rows.size(), 1461u);
  for (std::size_t k = 1; k < rows.size(); ++k) EXPECT_GT(rows[k][0], rows[k - 1][0]);
  for (const auto& v : rows) {
    if (std::fabs(v[0] - 0.998 * e0) < 0.01) continue;
    if (v[0] < 0.998 * e0) {
      EXPECT_EQ(v[3], 0.0) << "energy " << v[0];
      EXPECT_EQ(v[5], 0.0) << "energy " << v[0];
    } else {
      EXPECT_GT(v[3], 0.0) << "energy " << v[0];
      EXPECT_GT(v[5], 0.0) << "energy " << v[0];
    }
  }
  // No slope is computed after the last point: its slot holds only the
  // subtracted pre-edge slope. That slope follows from columns 2 and 5 of two
  // points (absorption less line), energies in keV.
  const auto& p = rows[10];
  const auto& q = rows[100];
  const double aa = ((p[1] - p[4]) - (q[1] - q[4])) / ((p[0] - q[0]) / 1000.0);
  EXPECT_NEAR(rows.back()[2], -aa, 1e-3 * std::fabs(aa) + 1e-4);
}

}  // namespace
}  // namespace xas
