// The terminal dialogue of a run: the banner, the questions and their echoes,
// the plot question, the energy unit step and the exit statuses.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "driver/dialogue.h"
#include "driver/reduction.h"
#include "common/records.h"
#include "common/text_out.h"
#include "support/expected_text.h"
#include "support/memory_answers.h"
#include "support/reader_run.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::count_line;
using test::example;
using test::ff_int;
using test::kResultExtensions;
using test::padded;
using test::run_program;
using test::ScratchDir;
using test::split_lines;

bool contains_line(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

// No result file of the base name `base` exists in `dir`.
void expect_no_result_files(const ScratchDir& dir, const std::string& base) {
  for (const char* ext : kResultExtensions) EXPECT_FALSE(dir.exists(base + ext)) << base + ext;
}

// --- The whole first part of a run -------------------------------------------

TEST(Dialogue, FirstLinesOfATwoColumnRun) {
  ScratchDir dir;
  dir.write("cu.dat", test::read_file(example("cu_foil.dat")));
  test::ProgramResult r = run_program(dir.path(), "cu.dat\n2\n1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  std::vector<std::string> lines = split_lines(r.out);
  ASSERT_GE(lines.size(), 16u);

  const std::string frame = " " + std::string(33, '-');
  EXPECT_EQ(lines[0], frame);
  EXPECT_EQ(lines[5], "  data set: max 15000 pts         ");
  EXPECT_EQ(lines[6], frame);
  const std::vector<std::string> expected = {
      "  ... File name for EXAFS data?",
      "  ... Number of columns?",
      "  >>> N. col.            2",
      " >>> 2-column file, E col. 1, ABS col. 2",
      " >>> FILE NAME: " + padded("cu.dat"),
      count_line(1461),  // the data lines of the bundled copper spectrum
      " ... Graphic output Gnuplot+TD (1) Gnuplot (0)",
      "  >>> Both TopDrawer and Gnuplot outputs selected",
      "  ... Photon energies are in eV",
  };
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[7 + i], expected[i]) << i;
}

TEST(Dialogue, AnswersWithCarriageReturnsReadAsPlainLines) {
  ScratchDir lf, crlf;
  lf.write("cu.dat", test::read_file(example("cu_foil.dat")));
  crlf.write("cu.dat", test::read_file(example("cu_foil.dat")));
  test::ProgramResult a = run_program(lf.path(), "cu.dat\n2\n0\n");
  test::ProgramResult b = run_program(crlf.path(), "cu.dat\r\n2\r\n0\r\n");
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(b.out, a.out);
  EXPECT_EQ(crlf.read("cu.gabs"), lf.read("cu.gabs"));
}

TEST(Dialogue, BannerIsSevenLinesOfThirtyThreeCharacters) {
  TextOut screen;
  banner(screen);
  std::vector<std::string> lines = split_lines(screen.text());
  ASSERT_EQ(lines.size(), 7u);
  for (const std::string& line : lines) {
    EXPECT_EQ(line.size(), 34u) << "'" << line << "'";  // the record's blank, then 33
    EXPECT_EQ(line[0], ' ');
  }
  EXPECT_EQ(lines[0], " " + std::string(33, '-'));
  EXPECT_EQ(lines[6], lines[0]);
  EXPECT_EQ(lines[5], "  data set: max 15000 pts         ");
  // The four free lines name the program, its authors and its revision.
  std::string free_lines = lines[1] + lines[2] + lines[3] + lines[4];
  EXPECT_NE(free_lines.find("xasreduce"), std::string::npos);
  EXPECT_NE(free_lines.find("the xasreduce developers"), std::string::npos);
  EXPECT_TRUE(std::regex_search(free_lines, std::regex("[0-9]+\\.[0-9]+"))) << free_lines;
}

// --- Column questions --------------------------------------------------------

class ColumnDialogue : public ::testing::Test {
 protected:
  // Runs the data reader on a three-column file with the given column answers
  // and returns the screen lines of the dialogue (up to the file name line).
  std::vector<std::string> dialogue(const std::string& answers, std::string* err = nullptr) {
    dir_.write("three.dat", "8000 2 1\n8001 4 1\n");
    test::ReaderRun t(dir_.file("three.dat") + "\n" + answers);
    if (err != nullptr) *err = t.err;
    EXPECT_EQ(t.ok, err == nullptr) << t.err;
    std::vector<std::string> head;
    for (const std::string& line : t.lines()) {
      if (line.rfind(" >>> FILE NAME:", 0) == 0) break;
      head.push_back(line);
    }
    return head;
  }
  ScratchDir dir_;
};

TEST_F(ColumnDialogue, EnergyAndAbsorptionColumns) {
  std::vector<std::string> expected = {
      "  ... File name for EXAFS data?",
      "  ... Number of columns?",
      "  >>> N. col.            3",
      "  ... Columns for Energy and absorption? E, ABS?",
      "  ... If ABS col. <0  reading I0 and I1",
      "  >>> E, ABS:            1           2",
  };
  EXPECT_EQ(dialogue("3\n1 2\n"), expected);
  EXPECT_EQ(dialogue("3\n1, 2\n"), expected);
  EXPECT_EQ(dialogue("3\n1\n2\n"), expected);
  EXPECT_EQ(dialogue("3 4\n\n1 2 7\n"), expected);  // extra numbers on an answer line are lost
}

TEST_F(ColumnDialogue, IntensityModeForAbsorptionColumnBelowOne) {
  for (const char* nab : {"0", "-1"}) {
    SCOPED_TRACE(nab);
    std::vector<std::string> expected = {
        "  ... File name for EXAFS data?",
        "  ... Number of columns?",
        "  >>> N. col.            3",
        "  ... Columns for Energy and absorption? E, ABS?",
        "  ... If ABS col. <0  reading I0 and I1",
        "  ... Insert columns for I0 and I1",
        "  >>> E, I0, I1:            1           2           3",
    };
    EXPECT_EQ(dialogue(std::string("3\n1 ") + nab + "\n2\n3\n"), expected);
  }
}

TEST_F(ColumnDialogue, FewerThanThreeColumnsAsksNoColumnQuestion) {
  for (int ncol : {2, 1, 0, -5}) {
    SCOPED_TRACE(ncol);
    std::vector<std::string> expected = {
        "  ... File name for EXAFS data?",
        "  ... Number of columns?",
        "  >>> N. col.  " + ff_int(ncol),
        " >>> 2-column file, E col. 1, ABS col. 2",
    };
    EXPECT_EQ(dialogue(std::to_string(ncol) + "\n"), expected);
  }
  // A slash leaves the column count at 0.
  EXPECT_EQ(dialogue("/\n")[2], "  >>> N. col.            0");
}

// --- The plot question -------------------------------------------------------

struct PlotAnswer {
  const char* answer;
  int itop;
  const char* confirmation;  // nullptr: none
};

TEST(PlotQuestion, ConfirmsOnlyZeroAndOne) {
  const PlotAnswer cases[] = {
      {"1\n", 1, "  >>> Both TopDrawer and Gnuplot outputs selected"},
      {"0\n", 0, "  >>> Only Gnuplot outputs selected"},
      {"\n  1 0\n", 1, "  >>> Both TopDrawer and Gnuplot outputs selected"},
      {"2\n", 2, nullptr},
      {"-1\n", -1, nullptr},
  };
  for (const PlotAnswer& c : cases) {
    SCOPED_TRACE(c.answer);
    test::MemoryAnswers answers(c.answer);
    TextOut screen;
    Request request;
    request.itop = -99;
    std::string err;
    ASSERT_TRUE(ask_plot(answers.answers(), screen, &request, &err)) << err;
    EXPECT_EQ(request.itop, c.itop);
    std::string expected = " ... Graphic output Gnuplot+TD (1) Gnuplot (0)\n";
    if (c.confirmation != nullptr) expected += std::string(c.confirmation) + "\n";
    EXPECT_EQ(screen.text(), expected);
  }
}

TEST(PlotQuestion, AnswersOtherThanOneWriteGnuplotFilesOnly) {
  // Reference: plot answer 0.
  ScratchDir ref;
  ref.write("cu.dat", test::read_file(example("cu_foil.dat")));
  ASSERT_EQ(run_program(ref.path(), "cu.dat\n2\n0\n").status, 0);
  for (const char* answer : {"2", "-1"}) {
    SCOPED_TRACE(answer);
    ScratchDir dir;
    dir.write("cu.dat", test::read_file(example("cu_foil.dat")));
    test::ProgramResult r = run_program(dir.path(), std::string("cu.dat\n2\n") + answer + "\n");
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = split_lines(r.out);
    EXPECT_FALSE(contains_line(lines, "  >>> Both TopDrawer and Gnuplot outputs selected"));
    EXPECT_FALSE(contains_line(lines, "  >>> Only Gnuplot outputs selected"));
    for (const char* ext : {".topn", ".topa", ".tope", ".topf"})
      EXPECT_FALSE(dir.exists(std::string("cu") + ext)) << ext;
    for (const char* ext : {".gabs", ".gfou", ".gexa"}) {
      std::string name = std::string("cu") + ext;
      ASSERT_TRUE(dir.exists(name)) << name;
      EXPECT_EQ(dir.read(name), ref.read(name)) << name;
    }
  }
}

// --- Energy unit step --------------------------------------------------------

TEST(EnergyUnit, FirstEnergyOfEightyOrMoreIsTakenAsElectronVolts) {
  const float energies[] = {80.0f, 8979.123f, 8981.5f, 9000.7f, 12345.678f};
  TextOut screen;
  auto spectrum = std::make_unique<Data>();
  Data& data = *spectrum;
  data.zero(5);
  data.n = 4;
  for (int j = 1; j <= 5; ++j) data.energy(j) = energies[j - 1];
  energies_to_kev(data, screen);
  EXPECT_EQ(screen.text(), "  ... Photon energies are in eV\n");
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(data.energy(j), energies[j - 1] / 1000.0f) << j;
  EXPECT_EQ(data.energy(5), energies[4]);  // beyond n: untouched
}

TEST(EnergyUnit, FirstEnergyBelowEightyIsLeftAsKiloElectronVolts) {
  TextOut screen;
  auto spectrum = std::make_unique<Data>();
  Data& data = *spectrum;
  data.zero(3);
  data.energy(1) = 79.99f;
  data.energy(2) = 8979.5f;
  data.energy(3) = 8.98f;
  energies_to_kev(data, screen);
  EXPECT_EQ(screen.text(), "  ... Photon energies are in keV\n");
  EXPECT_EQ(data.energy(1), 79.99f);
  EXPECT_EQ(data.energy(2), 8979.5f);
  EXPECT_EQ(data.energy(3), 8.98f);
}

TEST(EnergyUnit, NotANumberFirstEnergyCountsAsElectronVolts) {
  TextOut screen;
  auto spectrum = std::make_unique<Data>();
  Data& data = *spectrum;
  data.zero(2);
  data.energy(1) = std::numeric_limits<float>::quiet_NaN();
  data.energy(2) = 9000.0f;
  energies_to_kev(data, screen);
  EXPECT_EQ(screen.text(), "  ... Photon energies are in eV\n");
  EXPECT_EQ(data.energy(2), 9.0f);
}

TEST(EnergyUnit, FileValuesAtTheBoundary) {
  // The reader turns 0.08 into 80 eV and 0.07999 into 79.99 eV; the unit step
  // then treats the first as eV and the second as keV.
  ScratchDir dir;
  dir.write("a.dat", "0.08 1\n0.09 1\n");
  dir.write("b.dat", "0.07999 1\n0.09 1\n");
  {
    test::ReaderRun t(dir.file("a.dat") + "\n2\n");
    ASSERT_TRUE(t.ok) << t.err;
    float handed_over = static_cast<float>(0.08) * 1000.0f;
    EXPECT_EQ(t.data().energy(1), handed_over);
    energies_to_kev(t.data(), t.screen);
    EXPECT_NE(t.screen.text().find("  ... Photon energies are in eV\n"), std::string::npos);
    EXPECT_EQ(t.data().energy(1), handed_over / 1000.0f);
  }
  {
    test::ReaderRun t(dir.file("b.dat") + "\n2\n");
    ASSERT_TRUE(t.ok) << t.err;
    float handed_over = static_cast<float>(0.07999) * 1000.0f;
    energies_to_kev(t.data(), t.screen);
    EXPECT_NE(t.screen.text().find("  ... Photon energies are in keV\n"), std::string::npos);
    EXPECT_EQ(t.data().energy(1), handed_over);
  }
}

// --- Fatal answers -------------------------------------------------------------

// Runs the program on the copper spectrum (named cu.dat) with `answers`.
struct FatalCase {
  const char* answers;
  const char* message;   // a line of the error stream
  const char* last_out;  // the last screen line: nothing is asked again
};

TEST(FatalAnswer, StopsWithStatusTwoAndTheMessage) {
  const FatalCase cases[] = {
      {"cu.dat\n3.0\n", "Bad integer for item 1 in list input", "  ... Number of columns?"},
      {"cu.dat\n2147483648\n", "Integer overflow while reading item 1", "  ... Number of columns?"},
      {"cu.dat\n3\n1 x\n", "Bad integer for item 2 in list input",
       "  ... Columns for Energy and absorption? E, ABS?"},
      {"cu.dat\n3\n1 0\n2 3.5\n", "Bad integer for item 2 in list input",
       "  ... Insert columns for I0 and I1"},
      {"cu.dat\n2\nyes\n", "Bad integer for item 1 in list input",
       " ... Graphic output Gnuplot+TD (1) Gnuplot (0)"},
      {"", "End of file", "  ... File name for EXAFS data?"},
      {"cu.dat\n", "End of file", "  ... Number of columns?"},
      {"cu.dat\n\n\n", "End of file", "  ... Number of columns?"},
      {"cu.dat\n3\n1\n", "End of file", "  ... Columns for Energy and absorption? E, ABS?"},
      {"cu.dat\n3\n1 -1\n2\n", "End of file", "  ... Insert columns for I0 and I1"},
      {"cu.dat\n2\n", "End of file", " ... Graphic output Gnuplot+TD (1) Gnuplot (0)"},
  };
  for (const FatalCase& c : cases) {
    SCOPED_TRACE(c.answers);
    ScratchDir dir;
    dir.write("cu.dat", test::read_file(example("cu_foil.dat")));
    test::ProgramResult r = run_program(dir.path(), c.answers);
    EXPECT_EQ(r.status, 2);
    std::vector<std::string> err_lines = split_lines(r.err);
    EXPECT_TRUE(contains_line(err_lines, c.message)) << r.err;
    std::vector<std::string> out_lines = split_lines(r.out);
    ASSERT_FALSE(out_lines.empty());
    EXPECT_EQ(out_lines.back(), c.last_out);
    expect_no_result_files(dir, "cu");
  }
}

// Answers the table has no room for: more than 12 columns, or a column number
// outside 1 to 12.
TEST(FatalAnswer, ColumnsOutsideTheTableStopTheRun) {
  struct Case {
    const char* answers;
    const char* bad;  // the offending answer, named in the message
  };
  const Case cases[] = {
      {"13\n", "13"},
      {"3\n14 2\n", "14"},
      {"3\n1 15\n", "15"},
      {"3\n-7 2\n", "-7"},
      {"3\n1 -1\n16 3\n", "16"},
      {"3\n1 -1\n2 17\n", "17"},
      {"3\n1 0\n-9 3\n", "-9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    ScratchDir dir;
    dir.write("cu.dat", test::read_file(example("cu_foil.dat")));
    test::ProgramResult r = run_program(dir.path(), std::string("cu.dat\n") + c.answers + "1\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.bad), std::string::npos) << r.err;
    expect_no_result_files(dir, "cu");
  }
  // Column 0 for the energy, or for I1.
  for (const char* answers : {"3\n0 2\n", "3\n1 0\n2 0\n"}) {
    SCOPED_TRACE(answers);
    ScratchDir dir;
    dir.write("cu.dat", test::read_file(example("cu_foil.dat")));
    test::ProgramResult r = run_program(dir.path(), std::string("cu.dat\n") + answers + "1\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err, "");
    expect_no_result_files(dir, "cu");
  }
}

// Answered as a person at a pipe would (`xasreduce | tee log`): each answer
// is written only once its question has reached standard output, so a
// question held back in a buffer leaves the run waiting.
TEST(Dialogue, EachQuestionIsShownBeforeItsAnswerIsRead) {
  ScratchDir dir;
  dir.write("cu.dat", test::read_file(example("cu_foil.dat")));
  int to_program[2], from_program[2];
  ASSERT_EQ(pipe(to_program), 0);
  ASSERT_EQ(pipe(from_program), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(to_program[0], 0);
    dup2(from_program[1], 1);
    for (int fd : {to_program[0], to_program[1], from_program[0], from_program[1]}) close(fd);
    if (chdir(dir.path().c_str()) != 0) _exit(127);
    execl(XAS_BINARY, XAS_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(to_program[0]);
  close(from_program[1]);
  std::string screen;
  // Reads the screen until `text` appears; false after ten seconds without it.
  auto wait_for = [&](const std::string& text) {
    while (screen.find(text) == std::string::npos) {
      pollfd p{from_program[0], POLLIN, 0};
      if (poll(&p, 1, 10000) <= 0) return false;
      char buf[4096];
      const ssize_t got = read(from_program[0], buf, sizeof buf);
      if (got <= 0) return false;
      screen.append(buf, static_cast<std::size_t>(got));
    }
    return true;
  };
  const std::pair<const char*, const char*> steps[] = {
      {" ... File name for EXAFS data?\n", "cu.dat\n"},
      {" ... Number of columns?\n", "2\n"},
      {"... Graphic output Gnuplot+TD (1) Gnuplot (0)\n", "0\n"},
  };
  for (const auto& [question, answer] : steps) {
    EXPECT_TRUE(wait_for(question)) << "no question " << question << "on the screen:\n" << screen;
    ASSERT_EQ(write(to_program[1], answer, std::strlen(answer)),
              static_cast<ssize_t>(std::strlen(answer)));
  }
  close(to_program[1]);
  wait_for("\n\n\n\n");  // reads to the end of the screen text
  close(from_program[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(ExitStatus, NormalEndIsZeroWithNothingOnTheErrorStream) {
  ScratchDir dir;
  dir.write("ge.dat", test::read_file(example("ge.dat")));
  test::ProgramResult r = run_program(dir.path(), "ge.dat\n2\n0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(contains_line(split_lines(r.out), count_line(1201)));  // the germanium data lines
  for (const char* ext : {".gabs", ".gfou", ".gexa"})
    EXPECT_TRUE(dir.exists(std::string("ge") + ext)) << ext;
}

}  // namespace
}  // namespace xas
