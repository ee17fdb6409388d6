// Whole runs of the program on the example spectra, in a scratch directory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/expected_text.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::example;
using test::kResultExtensions;
using test::kResultFileKinds;
using test::padded;
using test::ProgramResult;
using test::run_program;
using test::ScratchDir;
using test::split_lines;

std::size_t index_of(const std::vector<std::string>& lines, const std::string& line) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == line) return i;
  return lines.size();
}

std::size_t index_starting(const std::vector<std::string>& lines, const std::string& prefix) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  return lines.size();
}

// The announcements of result files on the screen: each an empty line, the
// text with the 90-character name, and the opening notice.
struct Announcement {
  std::string name;
  std::string notice;
};

std::vector<Announcement> announcements(const std::vector<std::string>& screen) {
  std::vector<Announcement> found;
  for (std::size_t i = 0; i < screen.size(); ++i) {
    if (screen[i].rfind("  >>> opening ", 0) != 0) continue;
    EXPECT_GT(i, 0u);
    if (i > 0) {
      EXPECT_EQ(screen[i - 1], "") << screen[i];
    }
    const std::size_t colon = screen[i].find(": ");
    Announcement a;
    a.name = screen[i].substr(colon + 2);
    a.notice = i + 1 < screen.size() ? screen[i + 1] : "";
    found.push_back(a);
  }
  return found;
}

TEST(FullRun, SevenFilesInOrderThenReplacedOnASecondRun) {
  ScratchDir dir;
  const std::string answers = test::answers(example("cu_foil.dat"));
  const ProgramResult first = run_program(dir.path(), answers);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");

  const std::vector<std::string> screen = split_lines(first.out);
  const std::vector<Announcement> opened = announcements(screen);
  ASSERT_EQ(opened.size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) {
    const std::string name = std::string("cu_foil") + kResultExtensions[i];
    EXPECT_EQ(opened[i].name, padded(name, 90)) << i;
    EXPECT_EQ(opened[i].notice, "  ... creating new file ...") << name;
    EXPECT_NE(index_of(screen, kResultFileKinds[i].announcement + padded(name, 90)), screen.size()) << name;
    EXPECT_TRUE(dir.exists(name)) << name;
  }

  // The stages between the openings, in the order of the run.
  const std::vector<std::size_t> order = {
      index_of(screen, kResultFileKinds[0].announcement + padded("cu_foil.gabs", 90)),
      index_of(screen, "  ... Hydrogen-like exact normalization"),
      index_of(screen, "  ... Calculating Fourier Transform"),
      index_starting(screen, "  ... k-range: "),
      index_starting(screen, "  ... Range R: "),
      index_of(screen, kResultFileKinds[1].announcement + padded("cu_foil.topn", 90)),
      index_starting(screen, "  noise evaluation from point "),
      index_starting(screen, "  >>> average r m s noise = "),
      index_of(screen, kResultFileKinds[2].announcement + padded("cu_foil.gfou", 90)),
      index_of(screen, kResultFileKinds[3].announcement + padded("cu_foil.gexa", 90)),
      index_of(screen, kResultFileKinds[4].announcement + padded("cu_foil.topa", 90)),
      index_of(screen, kResultFileKinds[5].announcement + padded("cu_foil.tope", 90)),
      index_of(screen, kResultFileKinds[6].announcement + padded("cu_foil.topf", 90)),
  };
  for (std::size_t i = 0; i < order.size(); ++i) ASSERT_LT(order[i], screen.size()) << i;
  for (std::size_t i = 1; i < order.size(); ++i) EXPECT_LT(order[i - 1], order[i]) << i;

  // The absorption file: two header lines, the average line, a row per point.
  const std::vector<std::string> gabs = split_lines(dir.read("cu_foil.gabs"));
  ASSERT_EQ(gabs.size(), 1461u + 3u);
  EXPECT_EQ(gabs[0].substr(0, 8), "# EDGE= ");
  EXPECT_EQ(gabs[1], " # Columns: 1-Energy 2-abs. 3-der. 4-bck 5-abs-lin 6-norm 7-noise");
  const std::string average = screen[order[7]].substr(std::string("  >>> average r m s noise = ").size());
  EXPECT_EQ(gabs[2], " # average r m s noise = " + average);

  std::vector<std::string> contents;
  for (const char* ext : kResultExtensions) contents.push_back(dir.read(std::string("cu_foil") + ext));

  // Longer old contents must not survive the second run.
  for (const char* ext : kResultExtensions)
    dir.write(std::string("cu_foil") + ext, contents[0] + contents[0] + "stale line\n");
  const ProgramResult second = run_program(dir.path(), answers);
  ASSERT_EQ(second.status, 0) << second.err;
  const std::vector<Announcement> reopened = announcements(split_lines(second.out));
  ASSERT_EQ(reopened.size(), 7u);
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(reopened[i].name, padded(std::string("cu_foil") + kResultExtensions[i], 90)) << i;
    EXPECT_EQ(reopened[i].notice, "  ... warning! overwriting previous version ...") << i;
    EXPECT_EQ(dir.read(std::string("cu_foil") + kResultExtensions[i]), contents[i]) << kResultExtensions[i];
  }
  // The same screen apart from the opening notices.
  std::string expected_screen = first.out;
  for (std::size_t pos = 0; (pos = expected_screen.find("  ... creating new file ...", pos)) != std::string::npos;)
    expected_screen.replace(pos, 27, "  ... warning! overwriting previous version ...");
  EXPECT_EQ(second.out, expected_screen);
}

TEST(FullRun, OtherPlotAnswersGiveTheGnuplotFilesOnly) {
  for (const char* answer : {"0", "2", "-1"}) {
    ScratchDir dir;
    const ProgramResult result =
        run_program(dir.path(), test::answers(example("cu_foil.dat"), answer));
    ASSERT_EQ(result.status, 0) << answer << ": " << result.err;
    const std::vector<std::string> screen = split_lines(result.out);
    const std::vector<Announcement> opened = announcements(screen);
    ASSERT_EQ(opened.size(), 3u) << answer;
    EXPECT_EQ(opened[0].name, padded("cu_foil.gabs", 90));
    EXPECT_EQ(opened[1].name, padded("cu_foil.gfou", 90));
    EXPECT_EQ(opened[2].name, padded("cu_foil.gexa", 90));
    EXPECT_EQ(result.out.find("Topdrawer"), std::string::npos) << answer;
    for (const char* ext : {".gabs", ".gfou", ".gexa"})
      EXPECT_TRUE(dir.exists(std::string("cu_foil") + ext)) << answer << ext;
    for (const char* ext : {".topn", ".topa", ".tope", ".topf"})
      EXPECT_FALSE(dir.exists(std::string("cu_foil") + ext)) << answer << ext;
    // The noise estimate runs all the same.
    EXPECT_NE(index_starting(screen, "  >>> average r m s noise = "), screen.size()) << answer;
  }
}

struct Shell {
  const char* file;
  const char* base;
  double distance;  // first-shell distance, Angstrom
};

class FirstShell : public ::testing::TestWithParam<Shell> {};

TEST_P(FirstShell, TransformPeakAndSignalAboutZero) {
  const Shell& s = GetParam();
  ScratchDir dir;
  const ProgramResult result = run_program(dir.path(), test::answers(example(s.file), "0"));
  ASSERT_EQ(result.status, 0) << result.err;

  // The transform: 500 rows from 0.000 to 9.980; the largest modulus a few
  // tenths of an Angstrom below the shell distance (no phase correction).
  const std::vector<std::string> gfou = split_lines(dir.read(std::string(s.base) + ".gfou"));
  ASSERT_EQ(gfou.size(), 502u);
  double best_r = -1.0, best = -1.0;
  for (std::size_t i = 2; i < gfou.size(); ++i) {
    const double r = std::atof(gfou[i].substr(1, 6).c_str());
    const double mod = std::atof(gfou[i].substr(8, 8).c_str());
    EXPECT_NEAR(r, 0.02 * static_cast<double>(i - 2), 1e-9);
    if (mod > best) {
      best = mod;
      best_r = r;
    }
  }
  EXPECT_GT(best_r, s.distance - 0.6) << s.file;
  EXPECT_LT(best_r, s.distance - 0.1) << s.file;

  // The signal: rows only above the edge; it changes sign many times and
  // its mean is small beside its mean size.
  const std::vector<std::string> gexa = split_lines(dir.read(std::string(s.base) + ".gexa"));
  ASSERT_GT(gexa.size(), 100u);
  const double edge = std::atof(gexa[0].substr(8, 12).c_str());
  double sum = 0.0, size = 0.0;
  int count = 0, sign_changes = 0;
  double previous = 0.0;
  for (std::size_t i = 2; i < gexa.size(); ++i) {
    ASSERT_EQ(gexa[i].size(), 29u) << i;
    const double k = std::atof(gexa[i].substr(1, 6).c_str());
    const double chi = std::atof(gexa[i].substr(8, 8).c_str());
    const double energy = std::atof(gexa[i].substr(17, 12).c_str());
    EXPECT_GT(energy, edge - 0.001) << gexa[i];
    if (k < 3.0) continue;
    sum += chi;
    size += std::fabs(chi);
    ++count;
    if (previous != 0.0 && chi * previous < 0.0) ++sign_changes;
    if (chi != 0.0) previous = chi;
  }
  ASSERT_GT(count, 100);
  EXPECT_LT(std::fabs(sum / count), 0.2 * (size / count)) << s.file;
  EXPECT_GT(sign_changes, 10) << s.file;

  // Every point above the edge has its row: the row count matches the
  // absorption file's points above the edge energy.
  const std::vector<std::string> gabs = split_lines(dir.read(std::string(s.base) + ".gabs"));
  int above = 0;
  for (std::size_t i = 3; i < gabs.size(); ++i)
    if (std::atof(gabs[i].c_str()) > edge + 0.001) ++above;
  EXPECT_GE(static_cast<int>(gexa.size()) - 2, above);
  EXPECT_LE(static_cast<int>(gexa.size()) - 2, above + 1);
}

INSTANTIATE_TEST_SUITE_P(Examples, FirstShell,
                         ::testing::Values(Shell{"cu_foil.dat", "cu_foil", 2.55},
                                           Shell{"ge.dat", "ge", 2.45},
                                           Shell{"ni_synth_15000.dat", "ni_synth_15000", 2.49}));

}  // namespace
}  // namespace xas
