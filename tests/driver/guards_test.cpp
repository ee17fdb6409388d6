// Every guard of a run at its boundary, through the whole program: the
// smallest case that is refused (status 2, its one line on the error stream,
// no result file) next to the nearest one that is reduced, with its warning.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas::test {
namespace {

struct Point {
  double e, a;
};
using Table = std::vector<Point>;

// A flat pre-edge of ten points 10 eV apart, ending 100 eV below `at`.
Table pre_edge(double at) {
  Table t;
  for (int i = 0; i < 10; ++i) t.push_back({at - 100 - (9 - i) * 10.0, 0.1 + 0.0001 * i});
  return t;
}

// Points 1 eV apart from `start` whose intervals have the given slopes (per eV).
Table edge(const std::vector<double>& slopes, double start = 8970.0) {
  Table t{{start, 0.1}};
  for (double s : slopes) t.push_back({t.back().e + 1.0, t.back().a + s});
  return t;
}

// A slowly falling, wiggling post-edge of `n` points 5 eV apart.
Table post_edge(double from, int n = 40) {
  Table t;
  for (int i = 0; i < n; ++i) t.push_back({from + i * 5.0, 1.0 - 0.0005 * i + 0.02 * std::sin(i * 0.7)});
  return t;
}

Table join(std::initializer_list<Table> parts) {
  Table all;
  for (const Table& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::string text(const Table& t) {
  std::string s;
  char line[64];
  for (const Point& p : t) {
    std::snprintf(line, sizeof line, "%.4f %.6f\n", p.e, p.a);
    s += line;
  }
  return s;
}

// Below the edge band, slopes that stay under 80 % of the steepest one.
const std::vector<double> kFoot = {0.002, 0.005, 0.01, 0.02};
// Above it, a fall: the white line.
const std::vector<double> kFall = {0.2, -0.05, -0.05, 0.01};

std::vector<double> slopes(std::initializer_list<std::vector<double>> parts) {
  std::vector<double> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// The edge band of three slopes 0.18, 0.3*y1 and 0.3 (the steepest): the
// smaller y1, the farther above the band the vertex of their parabola.
Table vertex_above(double y1) {
  return join({pre_edge(8975), edge(slopes({kFoot, {0.18, 0.3 * y1, 0.3}, kFall})), post_edge(8985)});
}

// A band of four slopes 0.3*(1 - 0.06x + q x^2), x = 3..0: for q > 0 the
// parabola has a minimum, at x = 0.03/q below the steepest slope.
Table minimum_in_band(double q) {
  std::vector<double> band;
  for (int x = 3; x >= 0; --x) band.push_back(0.3 * std::round((1 - 0.06 * x + q * x * x) * 1e4) / 1e4);
  return join({pre_edge(8975), edge(slopes({kFoot, band, kFall})), post_edge(8985)});
}

// A scan that starts on the rising edge.
Table starting_on_the_edge(const std::vector<double>& rise) {
  return join({edge(slopes({rise, {0.1, -0.05, -0.05, 0.01}})), post_edge(8975)});
}

// The pre-edge range holds point 2 alone, at energy e2 (eV): at exactly
// 8000 eV its square is exact in single precision and the line's
// determinant is zero.
Table one_pre_edge_point(double e2) {
  return join({{{7990.0, 0.1}, {e2, 0.1}},
               edge(slopes({kFoot, {0.18, 0.27, 0.3}, kFall}), 8004.0),
               post_edge(8010)});
}

// `n` points beyond E0 + 30 eV, for a three-term background.
Table fit_points(int n) {
  Table t = join({pre_edge(8975), edge(slopes({kFoot, {0.18, 0.27, 0.3}, kFall}))});
  for (int i = 0; i < n; ++i) t.push_back({9011.7 + i * 5.0, 1.0 + 0.01 * i});
  return t;
}

// An edge followed by a rise to the end of the scan; `fall_at_end` lowers
// the last point a little.
Table rising_to_the_end(bool fall_at_end) {
  Table t = join({pre_edge(8975), edge(slopes({kFoot, {0.18, 0.27, 0.3, 0.2, 0.05, 0.05, 0.01}}))});
  const Point last = t.back();
  for (int i = 1; i <= 30; ++i) t.push_back({last.e + 5.0 * i, last.a + 0.001 * i});
  if (fall_at_end) t.back().a = t[t.size() - 2].a - 0.0001;
  return t;
}

struct Case {
  const char* what;
  Table data;
  int status;
  std::string message;  // the refusal, or the warning (empty: none)
};

TEST(Guards, EachGuardRefusesItsSmallestCaseAndWarnsOfTheNearestReducedOne) {
  const Case cases[] = {
      {"band of three at the first point of the data", starting_on_the_edge({0.26, 0.29, 0.3}), 0,
       "warning: the edge band reaches the first point of the data"},
      // Where the derivative parabola gives no edge energy (no band, no
      // maximum, or one far from the band), the smoothed derivative's is taken.
      {"band that would reach below the first point", starting_on_the_edge({0.29, 0.3}), 0,
       "warning: the edge energy 8972.0 eV is the maximum of the smoothed derivative: the steepest"
       " rise (at 8971.5 eV) is too close to the first point of the data for the three slopes of"
       " an edge band"},
      {"maximum just above the band", vertex_above(0.85), 0,
       "warning: the edge energy 8977.5 eV lies 0.5 eV above the edge band (8974.0-8977.0 eV)"},
      {"maximum 1.3 eV above the band: kept", vertex_above(0.835), 0,
       "warning: the edge energy 8978.3 eV lies 1.3 eV above the edge band (8974.0-8977.0 eV)"},
      {"maximum 1.7 eV above the band: replaced", vertex_above(0.830), 0,
       "warning: the edge energy 8976.0 eV is the maximum of the smoothed derivative: the maximum"
       " of the derivative parabola over the edge band (8974.0-8977.0 eV) lies at 8978.7 eV, 1.7 eV"
       " above the band"},
      {"maximum past the white line", vertex_above(0.81), 0,
       "warning: the edge energy 8976.0 eV is the maximum of the smoothed derivative: the maximum"
       " of the derivative parabola over the edge band (8974.0-8977.0 eV) lies at 8984.8 eV, past"
       " the white line at 8978.3 eV"},
      {"minimum inside the band", minimum_in_band(0.009), 0,
       "warning: the edge energy 8976.3 eV is the maximum of the smoothed derivative: the"
       " derivative parabola over the edge band (8974.0-8978.0 eV) has a minimum, at 8974.2 eV,"
       " not a maximum"},
      {"flat band: vertex outside the data", minimum_in_band(0.0) /* slopes rise linearly */, 0,
       "warning: the edge energy 8976.4 eV is the maximum of the smoothed derivative: the vertex of"
       " the derivative parabola over the edge band (8974.0-8978.0 eV) lies at 6866.6 eV, outside"
       " the data"},
      {"one pre-edge point", one_pre_edge_point(8000.5), 0,
       "warning: the pre-edge line rests on one point: point 2 (8000.5 eV) already lies above E0"
       " less 0.5 % (7970.5 eV)"},
      {"one pre-edge point, singular", one_pre_edge_point(8000.0), 2,
       "no pre-edge line: its fit over point 2 alone (8000.0 eV) is singular"},
      {"as many fit points as terms", fit_points(3), 0,
       "warning: the background is fitted to 3 points over 10.0 eV (9011.7 eV to 9021.7 eV) for 3"
       " parameters"},
      {"fewer fit points than terms", fit_points(2), 2,
       "too few points more than 30 eV above the edge to fit the background: 2 for 3 parameters"},
      {"a fall at the last point", rising_to_the_end(true), 0, ""},
      {"no fall above the rise", rising_to_the_end(false), 2,
       "no white line: the absorption never falls above the edge"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    dir.write("g.dat", text(c.data));
    const ProgramResult r = run_program(dir.path(), "g.dat\n2\n0\n");
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::vector<std::string> lines = split_lines(r.err);
    if (c.message.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines[0].find("xasreduce: " + c.message), 0u) << r.err;
    }
    // A refusal is one line; a reduced run may add other warnings.
    if (c.status == 2) {
      EXPECT_EQ(lines.size(), 1u) << r.err;
    }
    for (const std::string& line : lines) {
      if (c.status == 0) {
        EXPECT_EQ(line.find("xasreduce: warning: "), 0u) << line;
      }
    }
    EXPECT_EQ(dir.exists("g.gabs"), c.status == 0);
    EXPECT_EQ(dir.exists("g.gexa"), c.status == 0);
  }
}

}  // namespace
}  // namespace xas::test

namespace xas::test {
namespace {

// The answers and the data file: each is read as it is or refused with a
// message that names what was typed.
TEST(Guards, AnswersAndDataFilesAreReadAsTheyAreOrRefusedByName) {
  std::string copper = read_file(example("cu_foil.dat"));
  std::string three_numbers;  // the copper table with a third number on every line
  for (const std::string& line : split_lines(copper))
    three_numbers += line.empty() || line[0] == '#' ? line + "\n" : line + " 7\n";
  const std::string name90 = std::string(86, 'n') + ".dat";
  struct Case {
    const char* what;
    std::string answers;
    int status;
    std::string message;  // first line of the error stream; empty: none
  };
  const Case cases[] = {
      {"a name of 90 characters", name90 + "\n2\n0\n", 0, ""},
      {"a name of 91 characters", "n" + name90 + "\n2\n0\n", 2,
       "xasreduce: the file name answered to \"File name for EXAFS data?\" is 91 characters long;"
       " the dialogue holds names of at most 90"},
      {"a NUL byte in the name", std::string("cu\0.dat\n2\n0\n", 12), 2,
       "xasreduce: the file name answered to \"File name for EXAFS data?\" holds a control"
       " character (byte 0x00 at column 3)"},
      {"an answer beyond the reader", "cu.dat\n" + std::string(70000, '2') + "\n0\n", 2,
       "xasreduce: the answer to \"Number of columns?\" (line 2 of standard input) is longer than"
       " the 65536 characters"},
      {"a device", "/dev/zero\n2\n0\n", 2, "xasreduce: '/dev/zero' is a device, not a data file"},
      {"the answers themselves", "/dev/stdin\n2\n0\n", 2,
       "xasreduce: '/dev/stdin' is the program's own standard input"},
      {"a read error", "/proc/self/mem\n2\n0\n", 2,
       "xasreduce: cannot read line 1 of '/proc/self/mem': Input/output error"},
      {"fewer numbers on every line than declared", "cu.dat\n4\n1 2\n0\n", 2,
       "xasreduce: no line of 'cu.dat' holds the 4 answered to \"Number of columns?\": its lines"
       " hold at most 2 numbers"},
      {"more numbers on the lines than declared", "three.dat\n2\n0\n", 0,
       "xasreduce: warning: 1461 data lines of 'three.dat' hold 3 numbers, more than the 2"
       " answered to \"Number of columns?\": only the first 2 of a line are read"},
      {"one number read of two, which leaves no edge", "cu.dat\n1\n0\n", 2,
       "xasreduce: no absorption edge: the absorption never rises; note: 1461 data lines of"
       " 'cu.dat' hold 2 numbers, more than the 1 answered to \"Number of columns?\""},
      {"a name that cannot be opened, and the fallback", "missing.dat\n2\n0\n", 0,
       "xasreduce: warning: cannot open 'missing.dat': No such file or directory; the fallback"
       " file 'fort.30' is read instead"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    for (const std::string& name : {std::string("cu.dat"), std::string("fort.30"), name90})
      dir.write(name, copper);
    dir.write("three.dat", three_numbers);
    const ProgramResult r = run_program(dir.path(), c.answers);
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::vector<std::string> lines = split_lines(r.err);
    EXPECT_EQ(lines.size(), c.message.empty() ? 0u : 1u) << r.err;
    if (!lines.empty()) {
      EXPECT_EQ(lines[0].find(c.message), 0u) << r.err;
    }
    EXPECT_EQ(r.out.find("EDGE=") != std::string::npos, c.status == 0) << r.out;
  }
}

}  // namespace
}  // namespace xas::test
