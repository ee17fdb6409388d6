// Hostile input, run end to end: the program must stop with a one-line
// message and exit status 2 where the data or the answers cannot carry a
// reduction, must never replace its own data file, and must produce the same
// results as for clean data where the damage is only in lines it skips.
// Every case checks the exit status, the message and which files exist.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/expected_text.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas::test {
namespace {

// The result files named after `base` that exist in the directory.
std::vector<std::string> results_in(const ScratchDir& dir, const std::string& base) {
  std::vector<std::string> found;
  for (const char* ext : kResultExtensions)
    if (dir.exists(base + ext)) found.push_back(base + ext);
  return found;
}

std::vector<std::string> all_results(const std::string& base) {
  std::vector<std::string> names;
  for (const char* ext : kResultExtensions) names.push_back(base + ext);
  return names;
}

std::vector<std::string> none() { return {}; }

// The numeric lines of a spectrum file, without their line feeds.
std::vector<std::string> data_lines(const std::string& path) {
  std::vector<std::string> lines;
  for (const std::string& line : split_lines(read_file(path)))
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  return lines;
}

std::vector<std::string> copper() { return data_lines(example("cu_foil.dat")); }

std::string join(const std::vector<std::string>& lines, const std::string& eol = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return text;
}

// The copper lines with energies below `limit` eV: a scan cut short.
std::string copper_below(double limit) {
  std::vector<std::string> kept;
  for (const std::string& line : copper())
    if (std::stod(line) < limit) kept.push_back(line);
  return join(kept);
}

// Writes `content` as data file `name` in the directory and runs the program
// there with `input` on standard input.
ProgramResult reduce(const ScratchDir& dir, const std::string& name, const std::string& content,
                     const std::string& input) {
  dir.write(name, content);
  return run_program(dir.path(), input);
}

ProgramResult reduce(const ScratchDir& dir, const std::string& name, const std::string& content) {
  return reduce(dir, name, content, answers(name));
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A refusal: status 2 and `message` as the only line on the error stream.
void expect_refused(const ProgramResult& r, const std::string& message) {
  EXPECT_EQ(r.status, 2) << r.out << r.err;
  EXPECT_TRUE(contains(r.err, message)) << "error stream: " << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "error stream: " << r.err;
}

// Expects a refusal, whatever its wording: status 2, one line on the error
// stream, no result file.
void expect_no_results(const ScratchDir& dir, const ProgramResult& r) {
  const std::size_t report = r.out.find("EDGE=");
  EXPECT_EQ(r.status, 2) << "the run reported\n"
                         << (report == std::string::npos ? r.out : r.out.substr(report, 200));
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(results_in(dir, "cu"), none());
}

// The points that were loaded, from the count line; -1 if it is missing.
int loaded_points(const std::string& screen) {
  for (const std::string& line : split_lines(screen))
    if (contains(line, "DATA ENERGY POINTS!")) return std::stoi(line.substr(5));
  return -1;
}

// Refused right after loading: the count line has been printed and the plot
// question is never asked.
void expect_refused_after_loading(const ProgramResult& r, int points, const std::string& message) {
  expect_refused(r, message);
  EXPECT_EQ(loaded_points(r.out), points);
  EXPECT_FALSE(contains(r.out, "Graphic output")) << r.out;
}

// Data rows of an absorption file (header lines begin with "#" or " #").
int table_rows(const std::string& text) {
  int rows = 0;
  for (const std::string& line : split_lines(text))
    if (line.rfind("#", 0) != 0 && line.rfind(" #", 0) != 0) ++rows;
  return rows;
}

// Runs clean data and damaged data under the same name in two directories and
// expects the same screen and byte-identical result files.
void expect_same_as_clean(const std::string& clean, const std::string& damaged,
                          const std::string& warning = "") {
  ScratchDir a, b;
  ProgramResult ra = reduce(a, "cu.dat", clean);
  ProgramResult rb = reduce(b, "cu.dat", damaged);
  ASSERT_EQ(ra.status, 0) << ra.err;
  EXPECT_EQ(rb.status, 0) << rb.err;
  EXPECT_EQ(rb.err, warning);
  EXPECT_EQ(rb.out, ra.out);
  EXPECT_EQ(results_in(b, "cu"), all_results("cu"));
  for (const char* ext : kResultExtensions)
    EXPECT_EQ(b.read(std::string("cu") + ext), a.read(std::string("cu") + ext)) << ext;
}

// Bytes that can never form a number, a word, a separator or a line end: high
// bytes, NUL and the control characters other than tab, line feed and
// carriage return.
std::string binary_garbage(std::size_t size, std::uint32_t seed) {
  std::mt19937 gen(seed);
  std::string text;
  while (text.size() < size) {
    auto c = static_cast<unsigned char>(gen());
    if (c >= 0x80 || (c < 0x20 && c != '\n' && c != '\r' && c != '\t')) text += static_cast<char>(c);
  }
  return text;
}

// ---------------------------------------------------------------------------
// Too little data: refused, no result file.

TEST(HostileInput, EmptyFileIsRefusedAfterTheCountLine) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", "");
  expect_refused_after_loading(r, 0, "xasreduce: 'cu.dat' holds no data points");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

TEST(HostileInput, CommentsOnlyAreRefusedAfterTheCountLine) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", "# Cu K edge\n#\n# E mu\n");
  expect_refused_after_loading(r, 0, "xasreduce: 'cu.dat' holds no data points");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

TEST(HostileInput, FewerThanFourPointsCannotLocateAnEdge) {
  const std::vector<std::string> lines = copper();
  const auto edge = std::find_if(lines.begin(), lines.end(),
                                 [](const std::string& l) { return std::stod(l) > 8979.0; });
  ASSERT_NE(edge, lines.end());
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    ScratchDir dir;
    ProgramResult r = reduce(dir, "cu.dat", join({edge, edge + n}));
    expect_refused(r, "xasreduce: " + std::to_string(n) +
                          " data points are too few to locate an edge");
    EXPECT_EQ(loaded_points(r.out), n);
    EXPECT_EQ(results_in(dir, "cu"), none());
  }
}

// Five points: the pre-edge line rests on point 2 alone, which is computed,
// but no point lies more than 30 eV above the edge for the background.
TEST(HostileInput, FivePointsLeaveNothingToFitTheBackgroundTo) {
  ScratchDir dir;
  ProgramResult r =
      reduce(dir, "cu.dat", "8900 1\n8910 1\n8920 3\n8930 2.5\n8940 2.6\n");
  expect_refused(r, "xasreduce: too few points more than 30 eV above the edge to fit the"
                    " background: 0 for 3 parameters");
  EXPECT_EQ(loaded_points(r.out), 5);
  EXPECT_EQ(results_in(dir, "cu"), none());
}

// Nine points that place pre-edge, edge, white line and three fit points
// where the reduction needs them: the run completes, with a warning that
// three points carry the three-term background. The pre-edge noise fit has
// fewer than six points, so its r.m.s. is not a number, and no interval fits
// above the edge, so the absorption file gets no average line.
TEST(HostileInput, NinePointsThatSpanTheEdgeAreReduced) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat",
                           "8800 0.1\n8900 0.12\n8950 0.14\n8980 0.3\n8990 1.0\n"
                           "9000 1.2\n9030 1.1\n9060 1.15\n9100 1.12\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "xasreduce: warning: the background is fitted to 3 points over 70.0 eV"
                   " (9030.0 eV to 9100.0 eV) for 3 parameters: the edge jump rests on a short"
                   " range\n");
  EXPECT_TRUE(contains(r.out, " r m s noise =               NaN")) << r.out;
  EXPECT_FALSE(contains(r.out, "average r m s noise")) << r.out;
  EXPECT_EQ(results_in(dir, "cu"), all_results("cu"));
  const std::string gabs = dir.read("cu.gabs");
  EXPECT_EQ(table_rows(gabs), 9);
  EXPECT_FALSE(contains(gabs, "average r m s noise"));
}

// The first nine points of the copper scan, far below its edge, where the
// absorption only falls.
TEST(HostileInput, NinePointsBelowTheEdgeAreRefused) {
  ScratchDir dir;
  const std::vector<std::string> lines = copper();
  ProgramResult r = reduce(dir, "cu.dat", join({lines.begin(), lines.begin() + 9}));
  expect_refused(r, "xasreduce: no absorption edge: the absorption never rises");
  EXPECT_EQ(loaded_points(r.out), 9);
  EXPECT_EQ(results_in(dir, "cu"), none());
}

// ---------------------------------------------------------------------------
// Data without a usable edge: refused before any result file.

TEST(HostileInput, AllEnergiesEqualAreRefused) {
  std::string text;
  for (int i = 0; i < 50; ++i) text += "8979 " + std::to_string(1.0 + 0.01 * i) + "\n";
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", text);
  expect_refused(r, "xasreduce: the energies do not rise from the first point to the last");
  EXPECT_EQ(loaded_points(r.out), 50);
  EXPECT_EQ(results_in(dir, "cu"), none());
}

TEST(HostileInput, DescendingEnergiesAreRefused) {
  std::vector<std::string> lines = copper();
  std::reverse(lines.begin(), lines.end());
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", join(lines));
  expect_refused(r, "xasreduce: the energies do not rise from the first point to the last");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

TEST(HostileInput, FlatSpectrumHasNoEdge) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += std::to_string(8800 + 2 * i) + " 1.0\n";
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", text);
  expect_refused(r, "xasreduce: no absorption edge: the absorption never rises");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

TEST(HostileInput, FallingLineHasNoEdge) {
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += std::to_string(8800 + 2 * i) + " " + std::to_string(2.0 - 0.001 * i) + "\n";
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", text);
  expect_refused(r, "xasreduce: no absorption edge: the absorption never rises");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

// A straight rising line: every slope is as steep as the steepest, and the
// absorption never falls after it.
TEST(HostileInput, RisingLineHasNoWhiteLine) {
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += std::to_string(8800 + 2 * i) + " " + std::to_string(0.5 + 0.001 * i) + "\n";
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", text);
  expect_refused(r, "xasreduce: no white line: the absorption never falls above the edge");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

// The scan stops on the rising edge: its last interval is the steepest.
TEST(HostileInput, ScanEndingOnTheRisingEdgeHasNoWhiteLine) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", copper_below(8979.0));
  expect_refused(r, "xasreduce: no white line: the absorption never falls above the edge");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

// The scan ends just past the edge (E0 is near 8981 eV): no point lies more
// than 30 eV above it, where the background fit starts.
TEST(HostileInput, ScanEndingJustAfterTheEdgeCannotFitTheBackground) {
  for (double limit : {8986.0, 8995.0, 9005.0}) {
    SCOPED_TRACE(limit);
    ScratchDir dir;
    ProgramResult r = reduce(dir, "cu.dat", copper_below(limit));
    expect_refused(r, "xasreduce: too few points more than 30 eV above the edge");
    EXPECT_FALSE(contains(r.out, "EDGE=")) << "no edge report before the refusal";
    EXPECT_EQ(results_in(dir, "cu"), none());
  }
}

// The scan ends 34 eV above the edge: the 14 points between E0 + 30 eV and
// the end span 4 eV, and the three-term background fitted to them alone sets
// the edge jump. The full scan gives a jump of 2.50; this one gives 5.02.
// Enough points for the terms, so it is reduced, with a warning that says how
// short the range is.
TEST(HostileInput, ScanEndingAFewVoltsIntoTheFitRangeIsReducedWithAWarning) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", copper_below(9015.0));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, "JUMP=    5.01")) << r.out;
  EXPECT_TRUE(contains(r.err, "xasreduce: warning: the background is fitted to 14 points over 3.6 eV"))
      << r.err;
  EXPECT_EQ(results_in(dir, "cu"), all_results("cu"));
}

// ---------------------------------------------------------------------------
// Finite values the reduction cannot work with: no result may be written.

// The copper scan with its last energy corrupted to 1e20 eV. The background
// terms overflow single precision at that energy, the fit is singular, the
// edge jump comes out not a number, and every result file is written from it;
// the plot limit of the EXAFS script (the wave number of the last point plus
// 1, made an integer) is also far beyond the range of an int.
TEST(HostileInput, StrayEnergyFarAboveTheScanIsRefused) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", join(copper()) + "1e20 2.0\n");
  expect_no_results(dir, r);
}

// Photon energies below zero: every one is below 200, so each is taken for
// keV and multiplied by 1000, and the edge comes out near -9019109 eV.
TEST(HostileInput, NegativeEnergiesAreRefused) {
  std::string text = "-9.2 0.1\n-9.1 0.12\n-9.05 0.14\n-9.02 0.3\n-9.01 1.0\n-9.0 1.2\n";
  for (int i = 1; i <= 11; ++i)
    text += std::to_string(-9.0 + 0.03 * i) + (i % 2 ? " 1.11\n" : " 1.10\n");
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", text);
  expect_no_results(dir, r);
}

// ---------------------------------------------------------------------------
// Values that are not finite numbers: refused right after loading.

TEST(HostileInput, NonFiniteValuesAreRefusedAfterTheCountLine) {
  struct Case {
    const char* energy;
    const char* absorption;
    const char* what;
  };
  const Case cases[] = {
      {nullptr, "NaN", "an absorption"},   {nullptr, "Inf", "an absorption"},
      {nullptr, "-infinity", "an absorption"}, {"nan", nullptr, "an energy"},
      {"Infinity", nullptr, "an energy"},  {nullptr, "1e999", "an absorption"},
  };
  std::vector<std::string> lines = copper();
  const int bad = 500;  // point number of the damaged line
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.energy ? c.energy : "") + " " + (c.absorption ? c.absorption : ""));
    std::vector<std::string> damaged = lines;
    std::string& line = damaged[bad - 1];
    const std::string energy = line.substr(0, line.find(' '));
    line = c.energy ? std::string(c.energy) + " 1.0" : energy + " " + c.absorption;
    ScratchDir dir;
    ProgramResult r = reduce(dir, "cu.dat", join(damaged));
    expect_refused_after_loading(r, static_cast<int>(lines.size()),
                                 "xasreduce: point " + std::to_string(bad) + " of 'cu.dat' has " +
                                     c.what + " that is not a finite number");
    EXPECT_EQ(results_in(dir, "cu"), none());
  }
}

// Intensity mode: absorption = ln(I0 / I1). The copper spectrum written as
// intensities is reduced as the absorption table is; a zero I1 gives an
// infinite absorption and a negative one a logarithm of a negative ratio.
std::string copper_intensities(int damaged_point, const std::string& i1) {
  std::string text;
  int point = 0;
  for (const std::string& line : copper()) {
    ++point;
    const std::size_t blank = line.find(' ');
    const double mu = std::stod(line.substr(blank));
    char buf[64];
    std::snprintf(buf, sizeof buf, " 100000 %.9g", 100000.0 * std::exp(-mu));
    text += line.substr(0, blank) + (point == damaged_point ? " 100000 " + i1 : std::string(buf)) +
            "\n";
  }
  return text;
}

const char kIntensityAnswers[] = "cu.dat\n3\n1 0\n2 3\n1\n";

TEST(HostileInput, IntensityModeReducesCleanIntensities) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", copper_intensities(0, ""), kIntensityAnswers);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, " >>> E, I0, I1: ")) << r.out;
  EXPECT_TRUE(contains(r.out, "EDGE=    8981.1")) << r.out;
  EXPECT_EQ(results_in(dir, "cu"), all_results("cu"));
}

TEST(HostileInput, ZeroOrNegativeI1IsRefusedAfterTheCountLine) {
  for (const char* i1 : {"0", "0.0", "-5", "-0"}) {
    SCOPED_TRACE(i1);
    ScratchDir dir;
    ProgramResult r = reduce(dir, "cu.dat", copper_intensities(700, i1), kIntensityAnswers);
    expect_refused_after_loading(
        r, static_cast<int>(copper().size()),
        "xasreduce: point 700 of 'cu.dat' has an absorption that is not a finite number");
    EXPECT_EQ(results_in(dir, "cu"), none());
  }
}

// I0 and I1 given the wrong way round: the absorption is ln(I1 / I0), the
// copper spectrum upside down, and its edge is a fall. The run reports an
// edge 16 eV off at 8997 eV with a jump of -2.71 and writes every result
// file; an edge with a negative jump is no absorption edge.
TEST(HostileInput, SwappedIntensityColumnsAreRefused) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", copper_intensities(0, ""), "cu.dat\n3\n1 0\n3 2\n1\n");
  expect_no_results(dir, r);
}

// ---------------------------------------------------------------------------
// Damage confined to lines the reader skips: the same results as clean data.

TEST(HostileInput, HeadersWithoutHashAreSkipped) {
  const std::string clean = join(copper());
  expect_same_as_clean(clean, "Cu K edge, transmission\nEnergy(eV)  mu\n\n" + clean +
                                  "end of scan\n\n");
}

TEST(HostileInput, WindowsLineEndsReadAsLineFeeds) {
  expect_same_as_clean(join(copper()), join(copper(), "\r\n"));
}

TEST(HostileInput, LinesOfBinaryGarbageAreSkipped) {
  std::vector<std::string> lines = copper();
  std::vector<std::string> damaged;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i % 100 == 0) damaged.push_back(binary_garbage(300, static_cast<std::uint32_t>(i)));
    damaged.push_back(lines[i]);
  }
  expect_same_as_clean(join(lines), join(damaged));
}

// Lines of 10000 characters. The dialogue reads 500 of them: a run of
// digits that is one number where two are needed is skipped, a point followed
// by more numbers keeps its first two (the line is named on the error
// stream); a point whose numbers start after column 500 would be lost, so the
// dialogue refuses the file, naming the line. The command line reads lines
// whole and takes that point.
TEST(HostileInput, LinesOfTenThousandCharacters) {
  const std::vector<std::string> lines = copper();
  std::vector<std::string> damaged = lines;
  std::string& padded = damaged[100];
  while (padded.size() < 10000) padded += " 0.5";
  damaged.insert(damaged.begin() + 300, std::string(10000, '7'));
  expect_same_as_clean(join(lines), join(damaged),
                       "xasreduce: warning: 1 data line of 'cu.dat' holds more than 12 numbers,"
                       " more than the 2 answered to \"Number of columns?\": only the first 2 of"
                       " a line are read\n");

  const std::string far = std::string(9992, ' ') + "8990 1.0";
  damaged.insert(damaged.begin() + 200, far);
  ScratchDir dir;
  const ProgramResult r = reduce(dir, "cu.dat", join(damaged));
  expect_refused(r, "xasreduce: line 201 of 'cu.dat' is 10000 characters long, and its cut at"
                    " the 500 the dialogue reads falls inside the numbers it takes; reduce the"
                    " file from the command line, which reads lines whole");
  EXPECT_EQ(results_in(dir, "cu"), none());
  const ProgramResult cli = run_program(dir.path(), "", {"-q", "cu.dat"});
  EXPECT_EQ(cli.status, 0) << cli.err;
  EXPECT_TRUE(contains(cli.out, "\tok\tcol 2\t" + std::to_string(lines.size() + 1) + "\t")) << cli.out;
}

TEST(HostileInput, DuplicatedEnergiesAreReduced) {
  std::vector<std::string> doubled;
  for (const std::string& line : copper()) {
    doubled.push_back(line);
    doubled.push_back(line);
  }
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.dat", join(doubled));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(loaded_points(r.out), static_cast<int>(doubled.size()));
  EXPECT_EQ(results_in(dir, "cu"), all_results("cu"));
  // Equal neighbours give no slope of their own: nothing divides by zero.
  for (const char* ext : kResultExtensions) {
    const std::string text = dir.read(std::string("cu") + ext);
    EXPECT_FALSE(contains(text, "NaN") || contains(text, "Inf")) << ext;
  }
  EXPECT_EQ(table_rows(dir.read("cu.gabs")), static_cast<int>(doubled.size()));
}

// Over 15000 points: the first 15000 are kept, with a notice; the rest of the
// file changes nothing.
TEST(HostileInput, FortyThousandPointsKeepTheFirst15000) {
  std::vector<std::string> lines = data_lines(example("ni_synth_15000.dat"));
  ASSERT_EQ(lines.size(), 15000u);
  std::string extra;
  for (int i = 0; i < 25000; ++i) extra += std::to_string(9834 + i) + " 0.93\n";
  ScratchDir a, b;
  ProgramResult ra = reduce(a, "ni.dat", join(lines));
  ProgramResult rb = reduce(b, "ni.dat", join(lines) + extra);
  ASSERT_EQ(ra.status, 0) << ra.err;
  EXPECT_EQ(rb.status, 0) << rb.err;
  EXPECT_TRUE(contains(rb.out, " ... more than 15000 points: the rest of the file is ignored"))
      << rb.out;
  EXPECT_EQ(loaded_points(rb.out), 15000);
  EXPECT_EQ(results_in(b, "ni"), all_results("ni"));
  for (const char* ext : kResultExtensions)
    EXPECT_EQ(b.read(std::string("ni") + ext), a.read(std::string("ni") + ext)) << ext;
}

TEST(HostileInput, BinaryGarbageFileHoldsNoPoints) {
  ScratchDir dir;
  std::string garbage = binary_garbage(65536, 20240601);
  for (std::size_t i = 500; i < garbage.size(); i += 700) garbage[i] = '\n';
  ProgramResult r = reduce(dir, "cu.dat", garbage);
  expect_refused_after_loading(r, 0, "xasreduce: 'cu.dat' holds no data points");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

// ---------------------------------------------------------------------------
// The dialogue.

// An empty name answer selects "ftn30", then the fallback "fort.30".
TEST(HostileInput, EmptyNameAnswerReadsFtn30) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "ftn30", join(copper()), "\n2\n1\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, " >>> FILE NAME: ftn30 ")) << r.out;
  EXPECT_EQ(results_in(dir, "ftn30"), all_results("ftn30"));
  EXPECT_EQ(dir.read("ftn30"), join(copper()));
}

TEST(HostileInput, EmptyNameAnswerFallsBackToFort30) {
  ScratchDir dir;
  ProgramResult r = reduce(dir, "fort.30", join(copper()), "\n2\n1\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, " ... Reading input data file ...")) << r.out;
  EXPECT_TRUE(contains(r.out, " >>> FILE NAME: fort.30 ")) << r.out;
  EXPECT_EQ(results_in(dir, "fort"), all_results("fort"));
}

TEST(HostileInput, EmptyNameAnswerWithNeitherDefaultFileIsRefused) {
  ScratchDir dir;
  ProgramResult r = run_program(dir.path(), "\n2\n1\n");
  expect_refused(r, "Cannot open file 'ftn30': No such file or directory; nor the fallback file"
                    " 'fort.30': No such file or directory");
  EXPECT_EQ(loaded_points(r.out), -1);
  EXPECT_EQ(results_in(dir, "ftn30"), none());
  EXPECT_EQ(results_in(dir, "fort"), none());
}

// End of standard input at each question stops the run with the question and
// "End of file" on the error stream, before any result file.
TEST(HostileInput, EndOfInputAtEachQuestionStopsTheRun) {
  struct Case {
    const char* input;
    const char* question;
  };
  const Case cases[] = {
      {"", "File name for EXAFS data?"},
      {"cu.dat\n", "Number of columns?"},
      {"cu.dat\n3\n", "Columns for Energy and absorption? E, ABS?"},
      {"cu.dat\n3\n1\n", "Columns for Energy and absorption? E, ABS?"},
      {"cu.dat\n3\n1 0\n", "Insert columns for I0 and I1"},
      {"cu.dat\n3\n1 0\n2\n", "Insert columns for I0 and I1"},
      {"cu.dat\n2\n", "Graphic output Gnuplot+TD (1) Gnuplot (0)"},
      {"cu.dat\n2\n\n\n", "Graphic output Gnuplot+TD (1) Gnuplot (0)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    ScratchDir dir;
    ProgramResult r = reduce(dir, "cu.dat", join(copper()), c.input);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(contains(r.err, std::string("\"") + c.question + "\"")) << r.err;
    EXPECT_TRUE(contains(r.err, "End of file")) << r.err;
    EXPECT_EQ(results_in(dir, "cu"), none());
    EXPECT_EQ(dir.read("cu.dat"), join(copper()));
  }
}

// ---------------------------------------------------------------------------
// The file system.

TEST(HostileInput, DataFileThatIsADirectoryFallsBackToFort30) {
  ScratchDir dir;
  ASSERT_EQ(::mkdir(dir.file("cu.dat").c_str(), 0755), 0);
  ProgramResult r = run_program(dir.path(), answers("cu.dat"));
  expect_refused(r, "Cannot open file 'cu.dat': Is a directory; nor the fallback file 'fort.30':"
                    " No such file or directory");
  EXPECT_EQ(results_in(dir, "cu"), none());
  EXPECT_EQ(results_in(dir, "fort"), none());

  dir.write("fort.30", join(copper()));
  r = run_program(dir.path(), answers("cu.dat"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "xasreduce: warning: cannot open 'cu.dat': Is a directory; the fallback file"
                   " 'fort.30' is read instead\n");
  EXPECT_TRUE(contains(r.out, " ... Reading input data file ...")) << r.out;
  EXPECT_EQ(results_in(dir, "fort"), all_results("fort"));
  EXPECT_EQ(results_in(dir, "cu"), none());
}

TEST(HostileInput, FallbackFileThatIsADirectoryIsRefused) {
  ScratchDir dir;
  ASSERT_EQ(::mkdir(dir.file("fort.30").c_str(), 0755), 0);
  ProgramResult r = run_program(dir.path(), answers("missing.dat"));
  expect_refused(r, "Cannot open file 'missing.dat': No such file or directory; nor the fallback"
                    " file 'fort.30': Is a directory");
  EXPECT_EQ(results_in(dir, "fort"), none());
  EXPECT_EQ(results_in(dir, "missing"), none());
}

// A directory the user cannot write to. The superuser writes anywhere, so
// the permission bits cannot refuse it; the case below, where the result name
// is taken by a directory, fails for every user.
TEST(HostileInput, ResultsDirectoryWithoutWritePermissionIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser can write to a read-only directory";
  ScratchDir dir;
  dir.write("cu.dat", join(copper()));
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  ProgramResult r = run_program(dir.path(), answers("cu.dat"));
  ::chmod(dir.path().c_str(), 0755);
  expect_refused(r, "Cannot open file 'cu.gabs': Permission denied");
  EXPECT_EQ(results_in(dir, "cu"), none());
}

TEST(HostileInput, ResultNameTakenByADirectoryIsRefused) {
  ScratchDir dir;
  ASSERT_EQ(::mkdir(dir.file("cu.gabs").c_str(), 0755), 0);
  ProgramResult r = reduce(dir, "cu.dat", join(copper()));
  expect_refused(r, "xasreduce: the result name 'cu.gabs' is taken by a directory; nothing is"
                    " replaced");
  EXPECT_FALSE(contains(r.out, "opening gnuplot file")) << r.out;
  EXPECT_EQ(results_in(dir, "cu"), std::vector<std::string>{"cu.gabs"});  // the directory
}

// A later result name that cannot take a file stops the run before any file
// is written: the earlier results stay as they were, none is added.
TEST(HostileInput, LaterResultNameTakenByADirectoryChangesNothing) {
  ScratchDir dir;
  ASSERT_EQ(::mkdir(dir.file("cu.gexa").c_str(), 0755), 0);
  ProgramResult r = reduce(dir, "cu.dat", join(copper()));
  expect_refused(r, "xasreduce: the result name 'cu.gexa' is taken by a directory");
  EXPECT_EQ(results_in(dir, "cu"), std::vector<std::string>{"cu.gexa"});
}

// A result name linked to /dev/full (a file whose writes fail) is replaced
// by the new file: the run writes its results and leaves the device alone.
TEST(HostileInput, AResultNameLinkedToADeviceIsReplacedByTheResult) {
  ScratchDir dir;
  ASSERT_EQ(::symlink("/dev/full", dir.file("cu.gfou").c_str()), 0);
  ProgramResult r = reduce(dir, "cu.dat", join(copper()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(contains(r.out, " ... warning! overwriting previous version ...")) << r.out;
  struct stat st;
  ASSERT_EQ(::lstat(dir.file("cu.gfou").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(split_lines(dir.read("cu.gfou")).size(), 502u);
}

// A data file whose name is one of its own result names is never replaced.
TEST(HostileInput, DataFileNamedLikeItsResultIsNotReplaced) {
  const std::string data = join(copper());
  for (const char* name : {"cu.gabs", "cu.gexa", "cu.topf"}) {
    SCOPED_TRACE(name);
    ScratchDir dir;
    ProgramResult r = reduce(dir, name, data);
    expect_refused(r, std::string("xasreduce: the result file '") + name +
                          "' would replace the data file");
    EXPECT_EQ(dir.read(name), data);
    EXPECT_EQ(results_in(dir, "cu"), std::vector<std::string>{name});
  }
}

// Without TopDrawer scripts ".topf" is not a result of the run: a data file of
// that name is read and left alone.
TEST(HostileInput, DataFileNamedLikeAnUnwrittenScriptIsReduced) {
  const std::string data = join(copper());
  ScratchDir dir;
  ProgramResult r = reduce(dir, "cu.topf", data, "cu.topf\n2\n0\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("cu.topf"), data);
  EXPECT_EQ(results_in(dir, "cu"),
            (std::vector<std::string>{"cu.gabs", "cu.gfou", "cu.gexa", "cu.topf"}));
}

// The same file under a result name through a link: still the data file.
TEST(HostileInput, ResultNameLinkedToTheDataFileIsNotReplaced) {
  const std::string data = join(copper());
  for (bool symbolic : {true, false}) {
    SCOPED_TRACE(symbolic ? "symbolic link" : "hard link");
    ScratchDir dir;
    dir.write("cu.dat", data);
    const std::string link = dir.file("cu.gfou");
    ASSERT_EQ(symbolic ? ::symlink("cu.dat", link.c_str())
                       : ::link(dir.file("cu.dat").c_str(), link.c_str()),
              0);
    ProgramResult r = run_program(dir.path(), answers("cu.dat"));
    expect_refused(r, "xasreduce: the result file 'cu.gfou' would replace the data file");
    EXPECT_EQ(dir.read("cu.dat"), data);
    EXPECT_EQ(results_in(dir, "cu"), std::vector<std::string>{"cu.gfou"});
  }
}

}  // namespace
}  // namespace xas::test
