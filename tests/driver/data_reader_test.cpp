// The data reader: opening the data file (with its default and fallback
// names), and loading the table line by line into the spectrum.
#include "driver/avafile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/expected_text.h"
#include "support/in_directory.h"
#include "support/reader_run.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::count_line;
using test::example;
using test::file_name_line;
using test::InDirectory;
using test::padded;
using test::run_program;
using test::ScratchDir;
using test::split_lines;

// The data reader run with `answers` on standard input; the data file must
// be named by an absolute path (or the test must stand in the right directory).
using Loaded = test::ReaderRun;

// The lines the reader printed after the file name confirmation.
std::vector<std::string> after_file_name(const std::vector<std::string>& lines) {
  std::vector<std::string> tail;
  bool seen = false;
  for (const std::string& line : lines) {
    if (seen) tail.push_back(line);
    if (line.rfind(" >>> FILE NAME: ", 0) == 0) seen = true;
  }
  return tail;
}

// --- Energies and absorption as stored -----------------------------------------

TEST(DataTable, TwoColumnFileInElectronVolts) {
  ScratchDir dir;
  dir.write("cu.dat", "8979.123456789 1.234567891\n9000 2\n200 0.5\n199.9999999999 0.5\n");
  Loaded l(dir.file("cu.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  ASSERT_EQ(l.data().n, 4);
  // Parsed as doubles and rounded once to single precision.
  EXPECT_EQ(l.data().energy(1), static_cast<float>(8979.123456789));
  EXPECT_EQ(l.data().absorption(1), static_cast<float>(1.234567891));
  EXPECT_EQ(l.data().energy(2), 9000.0f);
  EXPECT_EQ(l.data().energy(3), 200.0f);  // 200 is eV: unchanged
  // The unit is judged on the stored single-precision value, which is 200.
  EXPECT_EQ(l.data().energy(4), 200.0f);
  EXPECT_EQ(after_file_name(l.lines()), std::vector<std::string>{count_line(4)});
  EXPECT_EQ(l.request.name.view(), padded(dir.file("cu.dat")));
}

TEST(DataTable, FileInKiloElectronVolts) {
  ScratchDir dir;
  dir.write("cu.dat", "8.979 1.5\n8.9805 1.75\n199.99 2\n8.0321 2\n");
  Loaded l(dir.file("cu.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  ASSERT_EQ(l.data().n, 4);
  EXPECT_EQ(l.data().energy(1), static_cast<float>(8.979) * 1000.0f);
  EXPECT_EQ(l.data().energy(2), static_cast<float>(8.9805) * 1000.0f);
  EXPECT_EQ(l.data().energy(3), static_cast<float>(199.99) * 1000.0f);
  // Scaled in single precision after rounding, not from the double.
  EXPECT_EQ(l.data().energy(4), static_cast<float>(8.0321) * 1000.0f);
  ASSERT_NE(static_cast<float>(8.0321) * 1000.0f, static_cast<float>(8.0321 * 1000.0));
  EXPECT_EQ(l.data().absorption(2), 1.75f);
  // The notice once, between the file name and the point count.
  std::vector<std::string> expected = {"  ENERGY is in keV!", count_line(4)};
  EXPECT_EQ(after_file_name(l.lines()), expected);
}

TEST(DataTable, EveryEnergyBelowTwoHundredIsScaled) {
  ScratchDir dir;
  dir.write("mixed.dat", "8000.5 1\n8.0015 1\n8002.5 1\n");
  Loaded l(dir.file("mixed.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  ASSERT_EQ(l.data().n, 3);
  EXPECT_EQ(l.data().energy(1), 8000.5f);
  EXPECT_EQ(l.data().energy(2), static_cast<float>(8.0015) * 1000.0f);
  EXPECT_EQ(l.data().energy(3), 8002.5f);
  // The notice looks at the first point only.
  EXPECT_EQ(after_file_name(l.lines()), std::vector<std::string>{count_line(3)});
}

TEST(DataTable, IntensityModeTakesTheLogarithmInDoublePrecision) {
  // I0 and I1 pairs for which the logarithm taken in single precision gives a
  // different single-precision result.
  const double i0[] = {100064.123456789, 100232.123456789, 100288.123456789};
  const double i1[] = {30076.987654321, 30076.987654321, 30063.987654321};
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 3; ++i) {
    char line[128];
    std::snprintf(line, sizeof line, "%d %.9f %.9f\n", 8000 + i, i0[i], i1[i]);
    text += line;
  }
  dir.write("i.dat", text);
  for (const char* columns : {"1 0\n2 3\n", "1 -1\n2 3\n"}) {
    SCOPED_TRACE(columns);
    Loaded l(dir.file("i.dat") + "\n3\n" + columns);
    ASSERT_TRUE(l.ok) << l.err;
    ASSERT_EQ(l.data().n, 3);
    for (int i = 0; i < 3; ++i) {
      float expected = static_cast<float>(std::log(i0[i] / i1[i]));
      ASSERT_NE(expected, std::log(static_cast<float>(i0[i]) / static_cast<float>(i1[i])));
      EXPECT_EQ(l.data().absorption(i + 1), expected) << i;
      EXPECT_EQ(l.data().energy(i + 1), static_cast<float>(8000 + i));
    }
  }
}

TEST(DataTable, IntensityModeCarriesInfinitiesAndNotANumber) {
  ScratchDir dir;
  dir.write("i.dat", "8000 1 0\n8001 0 1\n8002 -1 1\n8003 2 1\n");
  Loaded l(dir.file("i.dat") + "\n3\n1 0\n2 3\n");
  ASSERT_TRUE(l.ok) << l.err;
  ASSERT_EQ(l.data().n, 4);
  EXPECT_EQ(l.data().absorption(1), std::numeric_limits<float>::infinity());
  EXPECT_EQ(l.data().absorption(2), -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(l.data().absorption(3)));
  EXPECT_EQ(l.data().absorption(4), static_cast<float>(std::log(2.0)));
}

TEST(DataTable, ChosenColumnsOfAWiderTable) {
  ScratchDir dir;
  dir.write("w.dat", "0.5 8000.25 9 1.5 7\n0.75 8001.25 9 2.5 7\n");
  {
    Loaded l(dir.file("w.dat") + "\n5\n2 4\n");
    ASSERT_TRUE(l.ok) << l.err;
    ASSERT_EQ(l.data().n, 2);
    EXPECT_EQ(l.data().energy(2), 8001.25f);
    EXPECT_EQ(l.data().absorption(1), 1.5f);
    EXPECT_EQ(l.data().absorption(2), 2.5f);
  }
  {
    // A column beyond ncol (but within 12) is never parsed: its value is 0.
    Loaded l(dir.file("w.dat") + "\n3\n2 12\n");
    ASSERT_TRUE(l.ok) << l.err;
    ASSERT_EQ(l.data().n, 2);
    EXPECT_EQ(l.data().energy(1), 8000.25f);
    EXPECT_EQ(l.data().absorption(1), 0.0f);
    EXPECT_EQ(l.data().absorption(2), 0.0f);
  }
  {
    // Twelve columns, the most a line may give: the last two are chosen.
    dir.write("twelve.dat", "1 2 3 4 5 6 7 8 9 10 0.25 8000.5\n");
    Loaded l(dir.file("twelve.dat") + "\n12\n12 11\n");
    ASSERT_TRUE(l.ok) << l.err;
    ASSERT_EQ(l.data().n, 1);
    EXPECT_EQ(l.data().energy(1), 8000.5f);
    EXPECT_EQ(l.data().absorption(1), 0.25f);
  }
  {
    // The same in intensity mode: I1 from an unparsed column is 0.
    Loaded l(dir.file("w.dat") + "\n3\n2 0\n3 5\n");
    ASSERT_TRUE(l.ok) << l.err;
    EXPECT_EQ(l.data().absorption(1), std::numeric_limits<float>::infinity());
  }
}

TEST(DataTable, FewerThanTwoColumnsParsed) {
  ScratchDir dir;
  dir.write("c.dat", "8000.5 3\n8001.5 4\n");
  {
    Loaded l(dir.file("c.dat") + "\n1\n");
    ASSERT_TRUE(l.ok) << l.err;
    ASSERT_EQ(l.data().n, 2);
    EXPECT_EQ(l.data().energy(2), 8001.5f);
    EXPECT_EQ(l.data().absorption(1), 0.0f);
    EXPECT_EQ(l.data().absorption(2), 0.0f);
  }
  for (const char* ncol : {"0", "-3"}) {
    SCOPED_TRACE(ncol);
    Loaded l(dir.file("c.dat") + "\n" + ncol + "\n");
    ASSERT_TRUE(l.ok) << l.err;
    ASSERT_EQ(l.data().n, 2);
    for (int i = 1; i <= 2; ++i) {
      EXPECT_EQ(l.data().energy(i), 0.0f);
      EXPECT_EQ(l.data().absorption(i), 0.0f);
    }
    std::vector<std::string> expected = {"  ENERGY is in keV!", count_line(2)};
    EXPECT_EQ(after_file_name(l.lines()), expected);
  }
}

// --- Line handling ------------------------------------------------------------

TEST(DataTable, CommentsOnlyInColumnOne) {
  ScratchDir dir;
  dir.write("c.dat", "# header\n#\n8000.5 1\n# between\n8001.5 2\n");
  Loaded l(dir.file("c.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  ASSERT_EQ(l.data().n, 2);
  EXPECT_EQ(l.data().energy(1), 8000.5f);
  EXPECT_EQ(l.data().energy(2), 8001.5f);

  // With no numbers asked for, every line other than a comment is a point: a
  // "#" after blanks does not make a comment.
  dir.write("z.dat", "# comment\n  # not a comment\n\t# nor this\nx # nor this\n#\n");
  Loaded z(dir.file("z.dat") + "\n0\n");
  ASSERT_TRUE(z.ok) << z.err;
  EXPECT_EQ(z.data().n, 3);
}

TEST(DataTable, LinesWithoutAllTheirNumbersAreSkipped) {
  ScratchDir dir;
  dir.write("s.dat",
            "Energy Absorption\n"  // a header without "#"
            "\n"
            "   \n"
            "8000.5 1.5\n"
            "8001.5\n"             // too few numbers
            "8002.5 abc\n"         // a word
            "8003.5 , \n"          // the second value never comes
            " # 8004.5 3\n"        // not a comment, and not numbers
            "8005.5 2.5\n"
            "\n");
  Loaded l(dir.file("s.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  ASSERT_EQ(l.data().n, 2);
  EXPECT_EQ(l.data().energy(1), 8000.5f);
  EXPECT_EQ(l.data().absorption(1), 1.5f);
  EXPECT_EQ(l.data().energy(2), 8005.5f);
  EXPECT_EQ(l.data().absorption(2), 2.5f);
  EXPECT_EQ(after_file_name(l.lines()), std::vector<std::string>{count_line(2)});

  // A skipped header does not decide the energy unit: point 1 does.
  dir.write("k.dat", "E mu\n8.9805 1\n8.981 1\n");
  Loaded k(dir.file("k.dat") + "\n2\n");
  ASSERT_TRUE(k.ok) << k.err;
  ASSERT_EQ(k.data().n, 2);
  EXPECT_EQ(k.data().energy(1), static_cast<float>(8.9805) * 1000.0f);
  std::vector<std::string> expected = {"  ENERGY is in keV!", count_line(2)};
  EXPECT_EQ(after_file_name(k.lines()), expected);
}

TEST(DataTable, SeparatorsRepeatCountsSlashAndNullValues) {
  ScratchDir dir;
  dir.write("f.dat",
            "8000.5,1.25\n"
            "8001.5;1.5\n"
            "8002.5\t1.75\n"
            "  8003.5 ,\t2.25  \n"
            "8004.5    2.5 99 98\n"  // numbers beyond ncol are ignored
            "2*8005.5\n"
            "8006.5 /\n"
            "8007.5,,7\n"            // a null value, then an ignored number
            "7.1125D3 1.2d-1\n"
            "8.0095E+3 1.0+1\n");
  Loaded l(dir.file("f.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  ASSERT_EQ(l.data().n, 10);
  const float energy[] = {8000.5f, 8001.5f, 8002.5f, 8003.5f, 8004.5f,
                          8005.5f, 8006.5f, 8007.5f, 7112.5f, 8009.5f};
  const float absorption[] = {1.25f, 1.5f, 1.75f, 2.25f, 2.5f,
                              8005.5f, 0.0f, 0.0f, static_cast<float>(0.12), 10.0f};
  for (int i = 1; i <= 10; ++i) {
    EXPECT_EQ(l.data().energy(i), energy[i - 1]) << i;
    EXPECT_EQ(l.data().absorption(i), absorption[i - 1]) << i;
  }
}

TEST(DataTable, LineEndsCarriageReturnLineFeedOrEither) {
  const std::string lines[] = {"# comment", "8000.5 1.25", "", "8001.5 1.5", "8.0025 1.75",
                               "8003.5 2"};
  auto join = [&](const std::string& end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
  };
  ScratchDir dir;
  dir.write("d.dat", join("\n"));
  Loaded lf(dir.file("d.dat") + "\n2\n");
  ASSERT_TRUE(lf.ok) << lf.err;
  ASSERT_EQ(lf.data().n, 4);
  for (const std::string end : {"\r\n", "\r"}) {
    dir.write("d.dat", join(end));
    Loaded other(dir.file("d.dat") + "\n2\n");
    ASSERT_TRUE(other.ok) << other.err;
    EXPECT_EQ(other.screen.text(), lf.screen.text());
    ASSERT_EQ(other.data().n, lf.data().n);
    for (int i = 1; i <= lf.data().n; ++i) {
      EXPECT_EQ(other.data().energy(i), lf.data().energy(i)) << i;
      EXPECT_EQ(other.data().absorption(i), lf.data().absorption(i)) << i;
    }
    // With no numbers asked for every line is a point: a carriage return and
    // line feed make one line end, not two.
    Loaded lines_only(dir.file("d.dat") + "\n0\n");
    ASSERT_TRUE(lines_only.ok) << lines_only.err;
    EXPECT_EQ(lines_only.data().n, 5);
  }
  // A last line without its line end is still read.
  dir.write("d.dat", "8000.5 1.25\r\n8001.5 1.5");
  Loaded last(dir.file("d.dat") + "\n2\n");
  ASSERT_TRUE(last.ok) << last.err;
  EXPECT_EQ(last.data().n, 2);
  EXPECT_EQ(last.data().absorption(2), 1.5f);
}

// The dialogue parses the first 500 characters of a line. Where the rest
// would change the numbers it takes, the line is named and nothing is read;
// where it would not, the line reads as the first 500 characters give it.
TEST(DataTable, LinesLongerThanFiveHundredCharacters) {
  struct Case {
    const char* what;
    std::string line;
    std::string refusal;  // "" when the line is read
  };
  const Case cases[] = {
      // Columns 499 and 500 hold "12" of "12345".
      {"a cut inside a number", "8000.5" + std::string(492, ' ') + "12345",
       "line 2 of 'l.dat' is 503 characters long, and its cut at the 500 the dialogue reads falls"
       " inside the numbers it takes; reduce the file from the command line, which reads lines"
       " whole"},
      // The second number starts at column 501.
      {"a number beyond the cut", "8001.5" + std::string(494, ' ') + "7",
       "line 2 of 'l.dat' is 501 characters long, and its cut at the 500 the dialogue reads falls"
       " inside the numbers it takes; reduce the file from the command line, which reads lines"
       " whole"},
      {"more numbers beyond the cut", "8002.5 3.5" + std::string(10000, ' ') + "1 2 3", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    dir.write("l.dat", "7999.5 2.5\n" + c.line + "\n8003.5 4.5\n");
    InDirectory here(dir.path());
    Loaded l("l.dat\n2\n");
    EXPECT_EQ(l.ok, c.refusal.empty());
    EXPECT_EQ(l.err, c.refusal);
    if (l.ok) {
      ASSERT_EQ(l.data().n, 3);
      EXPECT_EQ(l.data().energy(2), 8002.5f);
      EXPECT_EQ(l.data().absorption(2), 3.5f);
      // The rest of a long line is not taken for a line of its own.
      EXPECT_EQ(l.data().energy(3), 8003.5f);
    }
  }
}

TEST(DataTable, EmptyTables) {
  ScratchDir dir;
  dir.write("empty.dat", "");
  dir.write("comments.dat", "# one\n# two\n");
  for (const char* name : {"empty.dat", "comments.dat"}) {
    SCOPED_TRACE(name);
    Loaded l(dir.file(name) + "\n2\n");
    ASSERT_TRUE(l.ok) << l.err;
    EXPECT_EQ(l.data().n, 0);
    EXPECT_EQ(after_file_name(l.lines()), std::vector<std::string>{count_line(0)});
  }
}

// --- The 15000-point limit ----------------------------------------------------

std::string points(int first, int count) {
  std::string text;
  char line[64];
  for (int i = first; i < first + count; ++i) {
    std::snprintf(line, sizeof line, "%d.5 %d\n", 8000 + i, i);
    text += line;
  }
  return text;
}

TEST(DataTable, FifteenThousandPointsFit) {
  ScratchDir dir;
  dir.write("p.dat", points(1, 15000) + "# a comment\n\n   \n");
  Loaded l(dir.file("p.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  EXPECT_EQ(l.data().n, 15000);
  EXPECT_EQ(l.data().energy(15000), 23000.5f);
  EXPECT_EQ(after_file_name(l.lines()), std::vector<std::string>{count_line(15000)});
}

TEST(DataTable, PointsBeyondFifteenThousandAreIgnoredWithOneNotice) {
  ScratchDir dir;
  dir.write("p.dat", points(1, 15003));
  Loaded l(dir.file("p.dat") + "\n2\n");
  ASSERT_TRUE(l.ok) << l.err;
  EXPECT_EQ(l.data().n, 15000);
  EXPECT_EQ(l.data().energy(1), 8001.5f);
  EXPECT_EQ(l.data().energy(15000), 23000.5f);
  EXPECT_EQ(l.data().absorption(15000), 15000.0f);
  std::vector<std::string> tail = after_file_name(l.lines());
  ASSERT_EQ(tail.size(), 2u);
  EXPECT_EQ(tail[0].rfind("  ... ", 0), 0u) << tail[0];  // an information line
  EXPECT_EQ(tail[1], count_line(15000));
}

TEST(DataTable, RunGoesOnAfterTheFirstFifteenThousandPoints) {
  ScratchDir dir;
  dir.write("ni.dat", test::read_file(example("ni_synth_15000.dat")) + "9833.5 0.93\n9834 0.93\n");
  test::ProgramResult r = run_program(dir.path(), "ni.dat\n2\n0\n");
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = split_lines(r.out);
  std::vector<std::string> tail = after_file_name(lines);
  ASSERT_GE(tail.size(), 2u);
  EXPECT_EQ(tail[1], count_line(15000));
  EXPECT_TRUE(dir.exists("ni.gabs"));
  EXPECT_TRUE(dir.exists("ni.gexa"));
}

// --- Which file is read ---------------------------------------------------------

TEST(DataFileChoice, NamedFileTrailingBlanksAndOverlongAnswer) {
  ScratchDir dir;
  InDirectory in(dir.path());
  dir.write("cu.dat", "8000.5 1\n");
  const std::string long_name = std::string(86, 'n') + ".dat";  // 90 characters
  dir.write(long_name, "8000.5 1\n8001.5 2\n");
  dir.write("fort.30", "8000.5 1\n8001.5 2\n8002.5 3\n");
  {
    Loaded l("cu.dat   \n2\n");  // trailing blanks are not part of the name
    ASSERT_TRUE(l.ok) << l.err;
    EXPECT_EQ(l.request.name.view(), padded("cu.dat"));
    EXPECT_EQ(l.data().n, 1);
    std::vector<std::string> lines = l.lines();
    EXPECT_EQ(lines.back(), count_line(1));
    EXPECT_EQ(lines[lines.size() - 2], file_name_line("cu.dat"));
  }
  {
    Loaded l(long_name + "    \n2\n");  // blanks beyond column 90 are no part of it
    ASSERT_TRUE(l.ok) << l.err;
    EXPECT_EQ(l.request.name.view(), long_name);
    EXPECT_EQ(l.data().n, 2);
  }
  {
    // A longer name is refused rather than cut to another file's name.
    Loaded l(long_name + "xyz\n2\n");
    EXPECT_FALSE(l.ok);
    EXPECT_NE(l.err.find("is 93 characters long; the dialogue holds names of at most 90"),
              std::string::npos)
        << l.err;
    EXPECT_EQ(l.data().n, 0);
  }
}

TEST(DataFileChoice, FallbackFileAfterANameThatCannotBeOpened) {
  ScratchDir dir;
  InDirectory in(dir.path());
  dir.write("fort.30", "8000.5 1\n8001.5 2\n8002.5 3\n");
  ASSERT_EQ(mkdir(dir.file("adir").c_str(), 0755), 0);
  for (const char* name : {"missing.dat", "adir"}) {
    SCOPED_TRACE(name);
    Loaded l(std::string(name) + "\n2\n");
    ASSERT_TRUE(l.ok) << l.err;
    std::vector<std::string> expected = {
        "  ... File name for EXAFS data?",
        "  ... Number of columns?",
        "  >>> N. col.            2",
        " >>> 2-column file, E col. 1, ABS col. 2",
        "  ... Reading input data file ...",
        file_name_line("fort.30"),
        count_line(3),
    };
    EXPECT_EQ(l.lines(), expected);
    EXPECT_EQ(l.request.name.view(), padded("fort.30"));
    // The screen is the dialogue's; a warning says what was not read.
    const std::vector<std::string> warnings = l.warnings.take();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].rfind(std::string("cannot open '") + name + "': ", 0), 0u) << warnings[0];
    EXPECT_NE(warnings[0].find("; the fallback file 'fort.30' is read instead"), std::string::npos)
        << warnings[0];
  }
}

TEST(DataFileChoice, DefaultFileForABlankAnswer) {
  ScratchDir dir;
  InDirectory in(dir.path());
  dir.write("named.dat", "8000.5 1\n");
  dir.write("fort.30", "8000.5 1\n8001.5 2\n8002.5 3\n");
  // Without "ftn30": the blank answer leads to the fallback file.
  {
    Loaded l("\n2\n");
    ASSERT_TRUE(l.ok) << l.err;
    std::vector<std::string> lines = l.lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "  ... Reading input data file ...");
    EXPECT_EQ(lines[lines.size() - 2], file_name_line("fort.30"));
  }
  dir.write("ftn30", "8000.5 1\n8001.5 2\n");
  // An empty answer, blanks only, or ten leading blanks before a name all
  // select "ftn30"; nine leading blanks do not.
  for (std::string answer : {std::string(), std::string(40, ' '),
                             std::string(10, ' ') + "named.dat"}) {
    SCOPED_TRACE("'" + answer + "'");
    Loaded l(answer + "\n2\n");
    ASSERT_TRUE(l.ok) << l.err;
    std::vector<std::string> lines = l.lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], " >>> 2-column file, E col. 1, ABS col. 2");  // no notice
    EXPECT_EQ(lines[lines.size() - 2], file_name_line("ftn30"));
    EXPECT_EQ(lines.back(), count_line(2));
    EXPECT_EQ(l.request.name.view(), padded("ftn30"));
  }
  {
    Loaded l(std::string(9, ' ') + "named.dat\n2\n");
    ASSERT_TRUE(l.ok) << l.err;
    EXPECT_NE(l.request.name.view(), padded("ftn30"));
  }
}

TEST(DataFileChoice, NeitherTheNamedNorTheFallbackFile) {
  ScratchDir dir;
  test::ProgramResult r = run_program(dir.path(), "missing.dat\n2\n1\n");
  EXPECT_EQ(r.status, 2);
  std::string expected = std::string("Cannot open file 'missing.dat': ") + std::strerror(ENOENT) +
                         "; nor the fallback file 'fort.30': " + std::strerror(ENOENT);
  EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find(" >>> FILE NAME:"), std::string::npos);
}

TEST(DataFileChoice, WholeRunOnTheFallbackFile) {
  ScratchDir dir;
  dir.write("fort.30", test::read_file(example("cu_foil.dat")));
  test::ProgramResult r = run_program(dir.path(), "cu_foil.dat\n2\n0\n");
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = split_lines(r.out);
  bool notice = false, name = false;
  for (const std::string& line : lines) {
    if (line == "  ... Reading input data file ...") notice = true;
    if (line == file_name_line("fort.30")) name = notice;  // after the notice
  }
  EXPECT_TRUE(name);
  // The error stream gives the reader's warning as a warning line.
  EXPECT_NE(r.err.find("xasreduce: warning: cannot open 'cu_foil.dat': "), std::string::npos)
      << r.err;
  for (const char* ext : {".gabs", ".gfou", ".gexa"})
    EXPECT_TRUE(dir.exists(std::string("fort") + ext)) << ext;
}

TEST(DataFileChoice, KiloElectronVoltFileRunsToTheEnd) {
  // The copper spectrum with its energies written in keV.
  std::string text;
  for (const std::string& line : split_lines(test::read_file(example("cu_foil.dat")))) {
    if (line.empty() || line[0] == '#') continue;
    double e = 0.0, a = 0.0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf", &e, &a), 2) << line;
    char out[96];
    std::snprintf(out, sizeof out, "%.7f %.7f\n", e / 1000.0, a);
    text += out;
  }
  ScratchDir dir;
  dir.write("cuk.dat", text);
  test::ProgramResult r = run_program(dir.path(), "cuk.dat\n2\n0\n");
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = split_lines(r.out);
  std::vector<std::string> tail = after_file_name(lines);
  ASSERT_GE(tail.size(), 5u);
  std::vector<std::string> expected = {
      "  ENERGY is in keV!",
      count_line(1461),
      " ... Graphic output Gnuplot+TD (1) Gnuplot (0)",
      "  >>> Only Gnuplot outputs selected",
      "  ... Photon energies are in eV",
  };
  EXPECT_EQ(std::vector<std::string>(tail.begin(), tail.begin() + 5), expected);
  EXPECT_TRUE(dir.exists("cuk.gabs"));
}

}  // namespace
}  // namespace xas
