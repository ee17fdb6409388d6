// The files of one call of the command line: their result base names never
// meet, never fall on another file of the call and never merge two different
// files; a series takes spectra of any length, and an interrupted series or
// a picture that cannot be drawn leaves nothing stale behind.
#include "cli/series.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/in_directory.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::example;
using test::read_file;
using test::ScratchDir;

// The bases chosen for FILEs given as paths from `dir`, the results going to
// `dir` too; "refused" for a file reduced under an earlier FILE.
std::vector<std::string> bases(const ScratchDir& dir, const std::vector<std::string>& files) {
  const test::InDirectory here(dir.path());
  std::vector<Job> jobs(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) jobs[i].path = files[i];
  choose_bases(".", {".png"}, jobs);
  std::vector<std::string> chosen;
  for (const Job& job : jobs) chosen.push_back(job.outcome.refused ? "refused" : job.base);
  return chosen;
}

TEST(Series, BaseNamesOfTheFilesOfOneCall) {
  struct Case {
    const char* what;
    std::vector<std::string> files;  // made in the directory; "=a" links to a
    std::vector<std::string> given;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"different bases", {"cu.dat", "ge.dat"}, {"cu.dat", "ge.dat"}, {"cu", "ge"}},
      {"one base: whole names", {"scan.001", "scan.002"}, {"scan.001", "scan.002"},
       {"scan.001", "scan.002"}},
      {"a log that is another FILE", {"s", "s.log"}, {"s", "s.log"}, {"s-2", "s.log"}},
      {"a picture that is another FILE", {"cu.dat", "cu.png"}, {"cu.dat", "cu.png"},
       {"cu.dat", "cu.png"}},
      {"a result that is the FILE itself", {"cu.log"}, {"cu.log"}, {"cu-2"}},
      {"paths that flatten alike", {"a_b/c.dat", "a/b/c.dat"}, {"a_b/c.dat", "a/b/c.dat"},
       {"a_b_c.dat", "a_b_c.dat-2"}},
      {"the same file twice", {"cu.dat"}, {"cu.dat", "./cu.dat"}, {"cu", "refused"}},
      {"the same file by a link", {"cu.dat", "=cu.dat:cu2.dat"}, {"cu.dat", "cu2.dat"},
       {"cu", "refused"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    for (const std::string& f : c.files) {
      if (f[0] == '=') {
        const std::size_t colon = f.find(':');
        ASSERT_EQ(::link(dir.file(f.substr(1, colon - 1)).c_str(),
                         dir.file(f.substr(colon + 1)).c_str()),
                  0);
        continue;
      }
      std::filesystem::create_directories(std::filesystem::path(dir.file(f)).parent_path());
      dir.write(f, "8000 1\n");
    }
    EXPECT_EQ(bases(dir, c.given), c.expected);
  }
}

// The command line takes every point of a long spectrum; the dialogue keeps
// its 15000 and says so.
TEST(Series, SpectraOfAnyLength) {
  ScratchDir dir;
  std::string big = read_file(example("ni_synth_15000.dat"));
  for (int i = 1; i <= 5000; ++i) big += std::to_string(9833 + i) + " 0.93\n";
  dir.write("big.dat", big);
  const test::ProgramResult cli = test::run_program(dir.path(), "", {"-q", "big.dat"});
  EXPECT_EQ(cli.status, 0) << cli.err;
  EXPECT_NE(cli.out.find("big.dat\tok\tcol 2\t20000\t"), std::string::npos) << cli.out;
  const test::ProgramResult dialogue = test::run_program(dir.path(), "big.dat\n2\n0\n");
  EXPECT_EQ(dialogue.status, 0) << dialogue.err;
  EXPECT_NE(dialogue.out.find("more than 15000 points"), std::string::npos);
  EXPECT_NE(dialogue.err.find("holds 20000 points; the dialogue reads the first 15000"),
            std::string::npos)
      << dialogue.err;
}

// Hidden names left in a directory: temporaries of the program.
std::vector<std::string> hidden(const std::string& dir) {
  std::vector<std::string> names;
  if (!std::filesystem::exists(dir)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name[0] == '.') names.push_back(name);
  }
  return names;
}

// A series interrupted at any moment, with two files reduced at once, leaves
// no temporary: a file being made when the signal comes is removed with the
// others, and none is made after.
TEST(Series, InterruptedSeriesLeavesNoTemporary) {
  ScratchDir dir;
  const std::string copper = read_file(example("cu_foil.dat"));
  std::vector<std::string> args = {"-q", "-j", "2", "-o", "out"};
  for (int i = 0; i < 40; ++i) {
    // (built by append: GCC 12 warns falsely of "c" + std::string)
    const std::string name = std::string("c").append(std::to_string(i)).append(".dat");
    dir.write(name, copper);
    args.push_back(name);
  }
  std::mt19937 random(20261209);
  for (int run = 0; run < 20; ++run) {
    std::filesystem::remove_all(dir.file("out"));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (chdir(dir.path().c_str()) != 0) _exit(127);
      freopen("/dev/null", "w", stdout);
      freopen("/dev/null", "w", stderr);
      std::vector<char*> argv{const_cast<char*>(XAS_BINARY)};
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(XAS_BINARY, argv.data());
      _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10 + random() % 120));
    ::kill(pid, run % 2 == 0 ? SIGTERM : SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_EQ(hidden(dir.file("out")), std::vector<std::string>()) << "run " << run;
  }
}

// A picture that cannot be drawn leaves no picture of an earlier reduction
// beside the new results; the row says why.
TEST(Series, APictureThatCannotBeDrawnRemovesTheEarlierOne) {
  ScratchDir dir;
  dir.write("cu.dat", read_file(example("cu_foil.dat")));
  dir.write("cu.png", "an earlier picture");
  std::filesystem::create_directories(dir.file("bin"));
  dir.write("bin/gnuplot", "#!/bin/sh\necho 'no font here' >&2\nexit 1\n");
  ASSERT_EQ(chmod(dir.file("bin/gnuplot").c_str(), 0755), 0);
  const test::ProgramResult r =
      test::run_program(dir.path(), "", {"-q", "--png", "cu.dat"}, {"PATH=" + dir.file("bin")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("no png picture: gnuplot could not draw it: no font here"), std::string::npos)
      << r.out;
  EXPECT_TRUE(dir.exists("cu.gabs"));
  EXPECT_FALSE(dir.exists("cu.png"));
  EXPECT_EQ(hidden(dir.path()), std::vector<std::string>());
}

}  // namespace
}  // namespace xas
