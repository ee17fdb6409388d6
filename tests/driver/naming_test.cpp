// Result files: the base name derived from the data file's name, the result
// names, and the opening that creates a file or replaces an older one.
#include "driver/naming.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "driver/run.h"
#include "support/expected_text.h"
#include "support/in_directory.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::example;
using test::InDirectory;
using test::kResultFileKinds;
using test::padded;
using test::ResultFileKind;
using test::run_program;
using test::ScratchDir;
using test::split_lines;
using test::TestRun;

// --- Base name -------------------------------------------------------------------

TEST(BaseName, DirectoryAndLastExtensionRemoved) {
  struct Case {
    const char* input;
    const char* base;
  };
  const Case cases[] = {
      {"cu_foil.dat", "cu_foil"},
      {"data/run1/cu.xmu", "cu"},
      {"cu.k.dat", "cu.k"},  // only the last "." counts
      {"fort.30", "fort"},
      {"ftn30", "ftn30"},
      {"/abs/path/ge.dat", "ge"},
      {"../data/cu.dat", "cu"},
      // A "." only in the directory part leaves the file name whole.
      {"../cudat", "cudat"},
      {"./ftn30", "ftn30"},
      {"runs.2024/cu", "cu"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    Name90 base;
    int length = base_name(Name90(c.input), &base);
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.base)));
    EXPECT_EQ(base.view(), padded(c.base));
  }
}

TEST(BaseName, ExactlyEightyFiveCharactersKeepsEveryExtension) {
  const std::string stem(85, 'a');
  Name90 base;
  int length = base_name(Name90(stem + ".dat"), &base);
  EXPECT_EQ(length, 85);
  EXPECT_EQ(base.view(), padded(stem));
  for (const ResultFileKind& k : kResultFileKinds)
    EXPECT_EQ(result_name(base, length, k.extension).view(), stem + k.extension);
}

TEST(BaseName, LongerBaseNamesAreShortenedToEightyFive) {
  const std::string inputs[] = {
      std::string(86, 'b') + ".dat",  // 90 characters
      std::string(90, 'c'),           // no "." at all
      "d/" + std::string(88, 'e'),
      "x.y/" + std::string(86, 'f'),
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    Name90 base;
    int length = base_name(Name90(input), &base);
    ASSERT_EQ(length, 85);
    std::string stem(base.view().substr(0, 85));
    EXPECT_EQ(stem.find(' '), std::string::npos);
    EXPECT_NE(input.find(stem), std::string::npos);  // a part of the file name
    std::set<std::string> names;
    for (const ResultFileKind& k : kResultFileKinds) {
      std::string name(result_name(base, length, k.extension).view());
      EXPECT_EQ(name, stem + k.extension);  // the whole extension, all 90 columns
      names.insert(name);
    }
    EXPECT_EQ(names.size(), 7u);
  }
}

TEST(BaseName, ResultNameIsBasePlusExtensionBlankPadded) {
  Name90 base;
  int length = base_name(Name90("data/run1/cu.xmu"), &base);
  EXPECT_EQ(result_name(base, length, ".gabs").view(), padded("cu.gabs"));
  length = base_name(Name90("ftn30"), &base);
  EXPECT_EQ(result_name(base, length, ".topf").view(), padded("ftn30.topf"));
}

TEST(Nome, PrintsTheInputAndTheBaseName) {
  TestRun t;
  Name90 base;
  int length = nome(Name90("data/run1/cu.xmu"), &base, t->console);
  EXPECT_EQ(length, 2);
  EXPECT_EQ(t.screen(), " " + padded("data/run1/cu.xmu") + "\n" + " " + padded("cu") + "\n");
}

// --- Opening -------------------------------------------------------------------

TEST(Open, CreatesANewFile) {
  ScratchDir dir;
  TestRun t;
  std::string err;
  ASSERT_TRUE(open(t.run(), 98, Name90(dir.file("cu.gabs")), &err)) << err;
  EXPECT_EQ(t.screen(), "  ... creating new file ...\n");
  EXPECT_TRUE(dir.exists("cu.gabs"));
}

TEST(Open, ReplacesAnOlderFileWithAWarning) {
  ScratchDir dir;
  dir.write("cu.gabs", "an older and much longer content\nof two lines\n");
  {
    TestRun t;
    std::string err;
    ASSERT_TRUE(open(t.run(), 98, Name90(dir.file("cu.gabs")), &err)) << err;
    EXPECT_EQ(t.screen(), "  ... warning! overwriting previous version ...\n");
    result_unit(t.run(), 98).line("new");
  }  // the run ends: the file is flushed and closed
  EXPECT_EQ(dir.read("cu.gabs"), "new\n");
}

TEST(Open, NeitherCreatedNorReplacedIsAnError) {
  ScratchDir dir;
  ASSERT_EQ(mkdir(dir.file("cu.gabs").c_str(), 0755), 0);
  struct Case {
    std::string name;
    int error;
  };
  const Case cases[] = {
      {dir.file("cu.gabs"), EISDIR},
      {dir.file("no/such/dir/cu.gabs"), ENOENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestRun t;
    std::string err;
    EXPECT_FALSE(open(t.run(), 98, Name90(c.name), &err));
    EXPECT_EQ(err, "Cannot open file '" + c.name + "': " + std::strerror(c.error));
    EXPECT_FALSE(result_unit(t.run(), 98).is_open());
  }
}

TEST(StartResultFile, AnnouncesEveryKindWithItsNameAndUnit) {
  const ResultKind* kinds[] = {&kAbsorptionFile,     &kNoisePlotFile, &kFourierFile,
                               &kExafsFile,          &kAbsorptionPlotFile,
                               &kExafsPlotFile,      &kFourierPlotFile};
  const int units[] = {98, 82, 97, 95, 83, 86, 87};
  ScratchDir dir;
  InDirectory in(dir.path());
  TestRun t;
  t->ifi = base_name(Name90("data/run1/cu.xmu"), &t->base);
  std::string expected;
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(kResultFileKinds[i].extension);
    std::string err;
    ASSERT_TRUE(start_result_file(t.run(), *kinds[i], &err)) << err;
    std::string name = std::string("cu") + kResultFileKinds[i].extension;
    EXPECT_EQ(t->fileout.view(), padded(name));
    expected += "\n" + std::string(kResultFileKinds[i].announcement) + padded(name) + "\n" +
                "  ... creating new file ...\n";
    EXPECT_TRUE(dir.exists(name));
    EXPECT_TRUE(result_unit(t.run(), units[i]).is_open());
  }
  EXPECT_EQ(t.screen(), expected);
}

// --- Whole runs ------------------------------------------------------------------

// The screen lines of the result files' announcements and opening notices, in
// order: the announcement line followed by the notice line.
std::vector<std::pair<std::string, std::string>> openings(const std::string& out) {
  std::vector<std::string> lines = split_lines(out);
  std::vector<std::pair<std::string, std::string>> found;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i)
    if (lines[i].rfind("  >>> opening ", 0) == 0) {
      EXPECT_EQ(lines[i - 1], "") << lines[i];
      found.emplace_back(lines[i], lines[i + 1]);
    }
  return found;
}

void expect_openings(const std::string& out, const std::string& base, bool topdrawer,
                     const char* notice) {
  std::vector<std::pair<std::string, std::string>> expected;
  for (const ResultFileKind& k : kResultFileKinds) {
    if (!topdrawer && std::string(k.extension).rfind(".top", 0) == 0) continue;
    expected.emplace_back(k.announcement + padded(base + k.extension), notice);
  }
  EXPECT_EQ(openings(out), expected);
}

TEST(ResultFiles, FirstRunCreatesSecondRunReplaces) {
  ScratchDir dir;
  dir.write("cu_foil.dat", test::read_file(example("cu_foil.dat")));
  test::ProgramResult first = run_program(dir.path(), "cu_foil.dat\n2\n1\n");
  ASSERT_EQ(first.status, 0) << first.err;
  expect_openings(first.out, "cu_foil", true, "  ... creating new file ...");
  // nome's two lines come right before the first announcement.
  std::vector<std::string> lines = split_lines(first.out);
  std::size_t gabs = 0;
  while (gabs < lines.size() && lines[gabs].rfind("  >>> opening gnuplot file for absorption", 0) != 0)
    ++gabs;
  ASSERT_GE(gabs, 3u);
  ASSERT_LT(gabs, lines.size());
  EXPECT_EQ(lines[gabs - 3], " " + padded("cu_foil.dat"));
  EXPECT_EQ(lines[gabs - 2], " " + padded("cu_foil"));

  std::vector<std::string> contents;
  for (const ResultFileKind& k : kResultFileKinds) {
    std::string name = std::string("cu_foil") + k.extension;
    ASSERT_TRUE(dir.exists(name)) << name;
    contents.push_back(dir.read(name));
  }
  test::ProgramResult second = run_program(dir.path(), "cu_foil.dat\n2\n1\n");
  ASSERT_EQ(second.status, 0) << second.err;
  expect_openings(second.out, "cu_foil", true, "  ... warning! overwriting previous version ...");
  // Replaced, not appended to.
  for (std::size_t i = 0; i < contents.size(); ++i)
    EXPECT_EQ(dir.read(std::string("cu_foil") + kResultFileKinds[i].extension), contents[i])
        << kResultFileKinds[i].extension;
}

TEST(ResultFiles, GnuplotOnlyRunOpensThreeFiles) {
  ScratchDir dir;
  dir.write("cu_foil.dat", test::read_file(example("cu_foil.dat")));
  test::ProgramResult r = run_program(dir.path(), "cu_foil.dat\n2\n0\n");
  ASSERT_EQ(r.status, 0) << r.err;
  expect_openings(r.out, "cu_foil", false, "  ... creating new file ...");
}

TEST(ResultFiles, WrittenInTheCurrentDirectory) {
  ScratchDir dir;
  ASSERT_EQ(mkdir(dir.file("data").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.file("data/run1").c_str(), 0755), 0);
  dir.write("data/run1/cu.xmu", test::read_file(example("cu_foil.dat")));
  test::ProgramResult r = run_program(dir.path(), "data/run1/cu.xmu\n2\n1\n");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const ResultFileKind& k : kResultFileKinds) {
    EXPECT_TRUE(dir.exists(std::string("cu") + k.extension)) << k.extension;
    EXPECT_FALSE(dir.exists(std::string("data/run1/cu") + k.extension)) << k.extension;
  }
}

TEST(ResultFiles, DefaultAndFallbackDataFiles) {
  {
    ScratchDir dir;
    const std::string data = test::read_file(example("cu_foil.dat"));
    dir.write("ftn30", data);
    test::ProgramResult r = run_program(dir.path(), "\n2\n1\n");
    ASSERT_EQ(r.status, 0) << r.err;
    expect_openings(r.out, "ftn30", true, "  ... creating new file ...");
    EXPECT_EQ(dir.read("ftn30"), data);  // the data file is never a result name
  }
  {
    ScratchDir dir;
    dir.write("fort.30", test::read_file(example("cu_foil.dat")));
    test::ProgramResult r = run_program(dir.path(), "missing\n2\n0\n");
    ASSERT_EQ(r.status, 0) << r.err;
    expect_openings(r.out, "fort", false, "  ... creating new file ...");
  }
}

TEST(ResultFiles, DotOnlyInTheDirectoryPart) {
  ScratchDir dir;
  ASSERT_EQ(mkdir(dir.file("work").c_str(), 0755), 0);
  const std::string data = test::read_file(example("cu_foil.dat"));
  dir.write("cudat", data);
  test::ProgramResult r = run_program(dir.file("work"), "../cudat\n2\n1\n");
  ASSERT_EQ(r.status, 0) << r.err;
  expect_openings(r.out, "cudat", true, "  ... creating new file ...");
  for (const ResultFileKind& k : kResultFileKinds)
    EXPECT_TRUE(dir.exists(std::string("work/cudat") + k.extension)) << k.extension;
  EXPECT_EQ(dir.read("cudat"), data);
}

TEST(ResultFiles, LongDataFileNames) {
  const std::string names[] = {std::string(85, 'a') + ".dat", std::string(86, 'b') + ".dat"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ScratchDir dir;
    dir.write(name, test::read_file(example("cu_foil.dat")));
    test::ProgramResult r = run_program(dir.path(), name + "\n2\n1\n");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string stem = name.substr(0, 85);
    expect_openings(r.out, stem, true, "  ... creating new file ...");
    for (const ResultFileKind& k : kResultFileKinds)
      EXPECT_TRUE(dir.exists(stem + k.extension)) << k.extension;
  }
}

TEST(ResultFiles, ResultNameThatIsTheDataFileStopsTheRun) {
  struct Case {
    const char* data_name;
    const char* plot;
  };
  const Case cases[] = {{"cu.gabs", "1"}, {"cu.gexa", "0"}, {"cu.topf", "1"}, {"cu.topn", "1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.data_name) + " plot " + c.plot);
    ScratchDir dir;
    const std::string data = test::read_file(example("cu_foil.dat"));
    dir.write(c.data_name, data);
    test::ProgramResult r =
        run_program(dir.path(), std::string(c.data_name) + "\n2\n" + c.plot + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err, "");
    EXPECT_EQ(dir.read(c.data_name), data);
    for (const ResultFileKind& k : kResultFileKinds) {
      if (std::string("cu") + k.extension != c.data_name) {
        EXPECT_FALSE(dir.exists(std::string("cu") + k.extension)) << k.extension;
      }
    }
    EXPECT_EQ(r.out.find("creating new file"), std::string::npos);
  }
}

TEST(ResultFiles, DataFileWithAResultExtensionThatIsNotWritten) {
  // Without TopDrawer scripts no ".topf" is written, so the data file is safe.
  ScratchDir dir;
  const std::string data = test::read_file(example("cu_foil.dat"));
  dir.write("cu.topf", data);
  test::ProgramResult r = run_program(dir.path(), "cu.topf\n2\n0\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("cu.topf"), data);
  EXPECT_TRUE(dir.exists("cu.gabs"));

  // Nor does a data file of that name in another directory stop the run.
  ScratchDir other;
  ASSERT_EQ(mkdir(other.file("sub").c_str(), 0755), 0);
  other.write("sub/cu.gabs", data);
  r = run_program(other.path(), "sub/cu.gabs\n2\n1\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(other.read("sub/cu.gabs"), data);
  EXPECT_TRUE(other.exists("cu.gabs"));
}

TEST(ResultFiles, UnopenableResultFileStopsTheRunAndKeepsEarlierFiles) {
  ScratchDir dir;
  dir.write("cu_foil.dat", test::read_file(example("cu_foil.dat")));
  ASSERT_EQ(mkdir(dir.file("cu_foil.gfou").c_str(), 0755), 0);
  test::ProgramResult r = run_program(dir.path(), "cu_foil.dat\n2\n0\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(std::string("Cannot open file 'cu_foil.gfou': ") + std::strerror(EISDIR)),
            std::string::npos)
      << r.err;
  EXPECT_NE(dir.read("cu_foil.gabs"), "");  // written before the failure
  EXPECT_FALSE(dir.exists("cu_foil.gexa"));
}

}  // namespace
}  // namespace xas
