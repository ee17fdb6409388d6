// Result files: the base name derived from the data file's name, the result
// names and their announcement, the check of the names before a run writes,
// and the result set that creates a file or replaces an older one.
#include "driver/naming.h"
#include "driver/result_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "results/result_set.h"
#include "common/text_out.h"
#include "support/expected_text.h"
#include "support/memory_answers.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::example;
using test::kResultFileKinds;
using test::padded;
using test::ResultFileKind;
using test::run_program;
using test::ScratchDir;
using test::split_lines;

const std::string kCreating = "  ... creating new file ...";
const std::string kOverwriting = "  ... warning! overwriting previous version ...";

// The screen lines that announce a result file: an empty line and the
// announcement with the name in 90 columns.
std::string announced(const ResultKind& kind, const std::string& name) {
  std::string text(1, '\n');
  text += kind.announcement;
  text += padded(name);
  text += '\n';
  return text;
}

// A name as the free-form record of a 90-character field: a blank, then the
// name padded to 90.
std::string name_record(const std::string& name) {
  std::string line(1, ' ');
  line += padded(name);
  return line;
}

// The announcement and the notice of a file's opening.
std::string opening(const ResultKind& kind, const std::string& name, const std::string& notice) {
  return announced(kind, name) + notice + "\n";
}

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
    EXPECT_EQ(base_name(c.input), c.base);
    // The same from the 90 blank-padded columns of the data file's name.
    EXPECT_EQ(base_name(Name90(c.input).view()), c.base);
  }
  // The limit cuts the base name, not the name it is derived from.
  EXPECT_EQ(base_name("data/cu_foil.dat", 3), "cu_");
  EXPECT_EQ(base_name(std::string(120, 'w') + ".dat", 200), std::string(120, 'w'));
}

// The announcement of every kind of result file for `base`: each shows the
// base name and the whole extension in the 90 columns of the name field, and
// the seven names differ.
void expect_announced_whole(const std::string& base) {
  std::set<std::string> names;
  for (const ResultKind* kind : kResultKinds) {
    SCOPED_TRACE(kind->extension);
    const std::string name = base + kind->extension;
    TextOut screen;
    announce_result_file(*kind, base, false, screen);
    EXPECT_EQ(screen.text(), opening(*kind, name, kCreating));
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 7u);
}

TEST(BaseName, ExactlyEightyFiveCharactersKeepsEveryExtension) {
  const std::string stem(85, 'a');
  EXPECT_EQ(base_name(Name90(stem + ".dat").view()), stem);
  expect_announced_whole(stem);
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
    const std::string stem = base_name(Name90(input).view());
    ASSERT_EQ(stem.size(), 85u);
    EXPECT_EQ(stem.find(' '), std::string::npos);
    EXPECT_NE(input.find(stem), std::string::npos);  // a part of the file name
    expect_announced_whole(stem);
  }
}

TEST(BaseName, ResultNameIsBasePlusExtensionBlankPadded) {
  TextOut screen;
  announce_result_file(kAbsorptionFile, base_name("data/run1/cu.xmu"), true, screen);
  announce_result_file(kFourierPlotFile, base_name("ftn30"), false, screen);
  EXPECT_EQ(screen.text(), opening(kAbsorptionFile, "cu.gabs", kOverwriting) +
                               opening(kFourierPlotFile, "ftn30.topf", kCreating));
}

TEST(Nome, PrintsTheInputAndTheBaseName) {
  const Name90 input("data/run1/cu.xmu");
  const std::string base = base_name(input.view());
  EXPECT_EQ(base, "cu");
  TextOut screen;
  nome(input, base, screen);
  EXPECT_EQ(split_lines(screen.text()),
            (std::vector<std::string>{name_record("data/run1/cu.xmu"), name_record("cu")}));
}

// --- Opening -------------------------------------------------------------------

// Every name in a directory, hidden ones (a temporary left behind) included.
std::set<std::string> entries(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.insert(entry.path().filename().string());
  return names;
}

// A result file checked, announced and started in the set, as a run does.
TextOut* start_result_file(ResultSet& results, const ResultKind& kind, const std::string& base,
                           TextOut& screen, std::string* err) {
  const std::string name = base + kind.extension;
  bool exists = false;
  if (!results.check(name, &exists, err)) return nullptr;
  TextOut* out = results.open(name, err);
  if (out != nullptr) announce_result_file(kind, base, exists, screen);
  return out;
}

TEST(Open, CreatesANewFileAtCommit) {
  ScratchDir dir;
  ResultSet results(dir.path());
  TextOut screen;
  std::string err;
  TextOut* out = start_result_file(results, kAbsorptionFile, "cu", screen, &err);
  ASSERT_NE(out, nullptr) << err;
  EXPECT_EQ(screen.text(), opening(kAbsorptionFile, "cu.gabs", kCreating));
  out->line("new");
  EXPECT_FALSE(dir.exists("cu.gabs"));  // written aside until the set is whole
  ASSERT_TRUE(results.commit(&err)) << err;
  EXPECT_EQ(dir.read("cu.gabs"), "new\n");
  EXPECT_EQ(entries(dir), std::set<std::string>{"cu.gabs"});
}

TEST(Open, ReplacesAnOlderFileWithAWarning) {
  ScratchDir dir;
  const std::string older = "an older and much longer content\nof two lines\n";
  dir.write("cu.gabs", older);
  for (bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "committed" : "dropped");
    TextOut screen;
    std::string err;
    {
      ResultSet results(dir.path());
      bool exists = false;
      ASSERT_TRUE(results.check("cu.gabs", &exists, &err)) << err;
      EXPECT_TRUE(exists);
      TextOut* out = results.open("cu.gabs", &err);
      ASSERT_NE(out, nullptr) << err;
      out->line("new");
      EXPECT_EQ(dir.read("cu.gabs"), older);
      if (commit) {
        ASSERT_TRUE(results.commit(&err)) << err;
      }
    }
    // Replaced, not appended to; a set dropped unfinished leaves the older
    // file and no temporary behind.
    EXPECT_EQ(dir.read("cu.gabs"), commit ? "new\n" : older);
    EXPECT_EQ(entries(dir), std::set<std::string>{"cu.gabs"});
  }
  TextOut screen;
  ResultSet results(dir.path());
  std::string err;
  ASSERT_NE(start_result_file(results, kAbsorptionFile, "cu", screen, &err), nullptr) << err;
  EXPECT_EQ(screen.text(), opening(kAbsorptionFile, "cu.gabs", kOverwriting));
}

TEST(Open, NeitherCreatedNorReplacedIsAnError) {
  ScratchDir dir;
  ASSERT_EQ(mkdir(dir.file("cu.gabs").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(dir.file("cu.topf").c_str(), 0644), 0);
  struct Case {
    std::string directory;
    const ResultKind* kind;
    std::string message;
  };
  const Case cases[] = {
      {dir.path(), &kAbsorptionFile,
       "the result name 'cu.gabs' is taken by a directory; nothing is replaced"},
      {dir.path(), &kFourierPlotFile,
       "the result name 'cu.topf' is taken by a FIFO; nothing is replaced"},
      {dir.file("no/such/dir"), &kExafsFile,
       std::string("Cannot open file 'cu.gexa': ") + std::strerror(ENOENT)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ResultSet results(c.directory);
    TextOut screen;
    std::string err;
    EXPECT_EQ(start_result_file(results, *c.kind, "cu", screen, &err), nullptr);
    EXPECT_EQ(err, c.message);
    EXPECT_EQ(screen.text(), "");
  }
  // Nothing was started: the directory holds what it held.
  EXPECT_EQ(entries(dir), (std::set<std::string>{"cu.gabs", "cu.topf"}));
}

TEST(Open, ResultNameThatIsALinkIsReplacedAndItsTargetKept) {
  ScratchDir dir;
  dir.write("target", "kept\n");
  ASSERT_EQ(symlink("target", dir.file("cu.gabs").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", dir.file("cu.gexa").c_str()), 0);  // a dangling link
  ResultSet results(dir.path());
  TextOut screen;
  std::string err;
  std::string expected;
  for (const ResultKind* kind : {&kAbsorptionFile, &kExafsFile}) {
    TextOut* out = start_result_file(results, *kind, "cu", screen, &err);
    ASSERT_NE(out, nullptr) << err;
    out->line(kind->extension);
    expected += opening(*kind, std::string("cu") + kind->extension, kOverwriting);
  }
  EXPECT_EQ(screen.text(), expected);
  EXPECT_EQ(dir.read("target"), "kept\n");  // untouched before the commit
  ASSERT_TRUE(results.commit(&err)) << err;
  for (const char* name : {"cu.gabs", "cu.gexa"}) {
    struct stat st;
    ASSERT_EQ(lstat(dir.file(name).c_str(), &st), 0) << name;
    EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
  }
  EXPECT_EQ(dir.read("cu.gabs"), ".gabs\n");
  EXPECT_EQ(dir.read("cu.gexa"), ".gexa\n");
  EXPECT_EQ(dir.read("target"), "kept\n");
  EXPECT_FALSE(dir.exists("nowhere"));
}

TEST(StartResultFile, AnnouncesEveryKindWithItsName) {
  ScratchDir dir;
  ResultSet results(dir.path());
  TextOut screen;
  const std::string base = base_name("data/run1/cu.xmu");
  std::string expected;
  for (const ResultKind* kind : kResultKinds) {
    SCOPED_TRACE(kind->extension);
    std::string err;
    TextOut* out = start_result_file(results, *kind, base, screen, &err);
    ASSERT_NE(out, nullptr) << err;
    out->line(kind->extension);
    expected += opening(*kind, std::string("cu") + kind->extension, kCreating);
  }
  EXPECT_EQ(screen.text(), expected);
  std::string err;
  ASSERT_TRUE(results.commit(&err)) << err;
  // Each kind went to its own file, in the order and with the announcements
  // of a run's screen.
  ASSERT_EQ(std::size(kResultKinds), std::size(kResultFileKinds));
  for (std::size_t i = 0; i < std::size(kResultKinds); ++i) {
    const ResultFileKind& k = kResultFileKinds[i];
    EXPECT_EQ(kResultKinds[i]->extension, std::string(k.extension));
    EXPECT_EQ(kResultKinds[i]->announcement, std::string(k.announcement));
    EXPECT_EQ(kResultKinds[i]->topdrawer, std::string(k.extension).rfind(".top", 0) == 0);
    EXPECT_EQ(dir.read(std::string("cu") + k.extension), std::string(k.extension) + "\n");
  }
}

// --- The names checked before a run writes -------------------------------------

TEST(CheckResultNames, RefusesTheDataFileAndNamesThatAreNoFile) {
  const std::string replaces_data =
      "' would replace the data file; rename the data file or run in another directory";
  struct Case {
    const char* what;
    void (*make)(const ScratchDir&);
    int itop;
    std::string message;  // empty: the names are accepted
    bool log = false;     // the command line's BASE.log is a result too
  };
  const Case cases[] = {
      {"no result file yet", [](const ScratchDir&) {}, 1, ""},
      {"older result files",
       [](const ScratchDir& d) {
         for (const char* ext : test::kResultExtensions) d.write(std::string("cu") + ext, "x");
       },
       1, ""},
      {"a directory for a Fourier file",
       [](const ScratchDir& d) { mkdir(d.file("cu.gfou").c_str(), 0755); }, 0,
       "the result name 'cu.gfou' is taken by a directory; nothing is replaced"},
      {"a FIFO for a script", [](const ScratchDir& d) { mkfifo(d.file("cu.topa").c_str(), 0644); },
       1, "the result name 'cu.topa' is taken by a FIFO; nothing is replaced"},
      {"a directory for a script the run does not write",
       [](const ScratchDir& d) { mkdir(d.file("cu.topf").c_str(), 0755); }, 0, ""},
      {"the data file itself", [](const ScratchDir& d) { rename(d.file("cu.dat").c_str(), d.file("cu.gabs").c_str()); },
       0, "the result file 'cu.gabs" + replaces_data},
      {"the data file by a hard link",
       [](const ScratchDir& d) { link(d.file("cu.dat").c_str(), d.file("cu.gexa").c_str()); }, 0,
       "the result file 'cu.gexa" + replaces_data},
      {"the data file by a symbolic link",
       [](const ScratchDir& d) { symlink("cu.dat", d.file("cu.tope").c_str()); }, 1,
       "the result file 'cu.tope" + replaces_data},
      {"the data file as a script the run does not write",
       [](const ScratchDir& d) { rename(d.file("cu.dat").c_str(), d.file("cu.topn").c_str()); }, 0,
       ""},
      {"the data file as the log",
       [](const ScratchDir& d) { rename(d.file("cu.dat").c_str(), d.file("cu.log").c_str()); }, 0,
       "the result file 'cu.log" + replaces_data, true},
      {"a directory for the log", [](const ScratchDir& d) { mkdir(d.file("cu.log").c_str(), 0755); },
       0, "the result name 'cu.log' is taken by a directory; nothing is replaced", true},
      {"the data file as the log of a dialogue, which writes none",
       [](const ScratchDir& d) { rename(d.file("cu.dat").c_str(), d.file("cu.log").c_str()); }, 0,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    dir.write("cu.dat", "8000 1\n");
    struct stat data;
    ASSERT_EQ(stat(dir.file("cu.dat").c_str(), &data), 0);
    c.make(dir);
    const std::set<std::string> before = entries(dir);
    ResultSet results(dir.path());
    std::string err;
    EXPECT_EQ(check_result_names(results, result_names("cu", c.itop, c.log), data.st_dev,
                                 data.st_ino, &err),
              c.message.empty());
    EXPECT_EQ(err, c.message);
    EXPECT_EQ(entries(dir), before);
  }
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
  EXPECT_EQ(lines[gabs - 3], name_record("cu_foil.dat"));
  EXPECT_EQ(lines[gabs - 2], name_record("cu_foil"));

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

// The screen kept as BASE.log is a result file like the others: the command
// line gives a data file named as its log another base name, and a name
// taken by a directory is refused before any file of the set is replaced.
TEST(ResultFiles, LogNameIsCheckedLikeTheOtherResultNames) {
  struct Case {
    const char* what;
    const char* data_name;
    bool log_directory;
    int status;
    const char* results;  // the base of the result set made, "" none
  };
  const Case cases[] = {{"data file named as the log", "cu.log", false, 0, "cu-2"},
                        {"directory named as the log", "cu.dat", true, 1, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string data = test::read_file(example("cu_foil.dat"));
    dir.write(c.data_name, data);
    if (c.log_directory) {
      ASSERT_EQ(mkdir(dir.file("cu.log").c_str(), 0755), 0);
    }
    const test::ProgramResult r = run_program(dir.path(), "", {"-q", c.data_name});
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(dir.read(c.data_name) == data) << "the data file was replaced";
    for (const char* ext : {".gabs", ".gexa", ".gfou"})
      EXPECT_FALSE(dir.exists(std::string("cu") + ext)) << ext;
    if (*c.results != '\0') {
      EXPECT_TRUE(dir.exists(std::string(c.results) + ".gabs"));
      EXPECT_TRUE(dir.exists(std::string(c.results) + ".log"));
    }
  }
}

}  // namespace
}  // namespace xas
