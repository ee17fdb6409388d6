// Column labels of a data file's head, and the choice of its columns for a
// reduction from the command line.
#include "cli/column_labels.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/column_choice.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::example;

std::string joined(const std::vector<std::string>& labels) {
  std::string s;
  for (const std::string& l : labels) s += (s.empty() ? "" : " ") + (l.empty() ? "-" : l);
  return s;
}

FileHead scan_text(const std::string& text) { return scan_head(text); }

FileHead scan_data(const std::string& name) { return scan_head(test::read_file(example(name))); }

// n numbers per line: "1 2 3 ..." and a comment line of words "c1 c2 ...".
std::string numbers_line(int n, int width = 0) {
  std::string s;
  for (int i = 1; i <= n; ++i) {
    std::string item = std::to_string(i) + ".5";
    s += std::string(width > static_cast<int>(item.size()) ? width - item.size() : 1, ' ') + item;
  }
  return s + "\n";
}
std::string words_line(int n) {
  std::string s = "#";
  for (int i = 1; i <= n; ++i) s += " c" + std::to_string(i);
  return s + "\n";
}

TEST(ColumnLabels, RealFiles) {
  struct Case {
    const char* file;
    const char* labels;
    int numbers;
  };
  const Case cases[] = {
      {"V_foil.xdi", "energy counttime i0 itrans", 4},
      {"MnO_rt_01.xdi", "energy i0 itrans irefer", 4},
      {"S_elemental_rt_01.xdi", "energy ifluor i0", 3},
      // Not an XDI file (its first line is a note): its Column fields do not
      // count, and its last comment line names 3 of its 4 columns.
      {"S_elemental_rt_01_mu.dat", "", 4},
  };
  for (const Case& c : cases) {
    FileHead head = scan_data(c.file);
    EXPECT_EQ(joined(head.labels), c.labels) << c.file;
    EXPECT_EQ(head.numbers, c.numbers) << c.file;
  }
}

TEST(ColumnLabels, HeadsOfEveryKind) {
  struct Case {
    std::string text;
    const char* labels;
    int numbers;
  };
  const Case cases[] = {
      {"1 2\n3 4\n", "", 2},
      {"# E mu\n1 2\n", "E mu", 2},
      {"# E mu\n\n#\n  1 2\n", "E mu", 2},               // blank and empty comment lines
      {"#E\tmu\n1,2\n", "E mu", 2},
      {"energy absorption\n1 2\n", "energy absorption", 2},  // a header without '#'
      {"# E mu x\n1 2\n", "", 2},                         // not one word per number
      {"# E mu\n# note\n1 2\n", "", 2},                   // only the last line counts
      {"# a b\r\n1\t2\r\n", "a b", 2},
      {"# XDI/1.0\n# Column.1: energy eV\n# Column.3: i0\n# ///\n# Column.2: fake\n# a b c\n"
       "1 2 3\n",
       "energy - i0", 3},
      {"#XDI/1.1\n# column.2: mu\n# Column.1: E keV\n# Column.1: other\n#----\n1 2\n", "E mu", 2},
      {"# a note\n# Column.1: energy\n# Column.2: mu\n# x y z\n1 2 3\n", "x y z", 3},
      {"1 2 abc 4\n", "", 2},                             // up to the first malformed value
      {",,\n# a b\n1 2\n", "a b", 2},                     // nulls only: not a data line
      {"# only comments\n", "", 0},
      {"", "", 0},
      // A data line longer than the dialogue's 500 characters is read whole.
      {"# x\n" + numbers_line(20, 30), "", 20},
  };
  for (const Case& c : cases) {
    FileHead head = scan_text(c.text);
    EXPECT_EQ(joined(head.labels), c.labels) << c.text;
    EXPECT_EQ(head.numbers, c.numbers) << c.text;
  }
  // A wide table: 64 numbers are counted, every column is named.
  FileHead wide = scan_text(words_line(70) + numbers_line(70));
  EXPECT_EQ(wide.numbers, 64);
  ASSERT_EQ(wide.labels.size(), 70u);
  EXPECT_EQ(wide.labels[69], "c70");
}

// --- The choice of columns ---------------------------------------------------

FileHead head_of(const std::string& labels, int numbers) {
  FileHead head;
  head.numbers = numbers;
  std::string word;
  for (char ch : labels + " ") {
    if (ch != ' ') {
      word += ch;
    } else if (!word.empty()) {
      head.labels.push_back(word == "-" ? "" : word);
      word.clear();
    }
  }
  return head;
}

std::vector<ColumnRef> refs(std::vector<std::string> items) {
  std::vector<ColumnRef> out;
  for (const std::string& item : items) {
    ColumnRef r;
    if (item[0] >= '0' && item[0] <= '9')
      r.number = std::stoi(item);
    else
      r.label = item;
    out.push_back(r);
  }
  return out;
}

// "ncol ne nab ni0 ni1 nif", or "refused: " and the message.
std::string choose(const FileHead& head, std::vector<std::string> c, std::vector<std::string> f,
                   int ncol = 0) {
  Request out;
  out.ncol = -1;
  std::string refusal;
  if (!resolve_columns(head, refs(c), refs(f), ncol, &out, &refusal)) return "refused: " + refusal;
  const bool absorption = out.mode == Mode::absorption;
  const bool fluorescence = out.mode == Mode::fluorescence;
  return std::to_string(out.ncol) + " " + std::to_string(out.energy) + " " +
         std::to_string(absorption ? out.absorption : 0) + " " +
         std::to_string(absorption ? 0 : out.i0) + " " +
         std::to_string(out.mode == Mode::intensities ? out.i1 : 0) + " " +
         std::to_string(fluorescence ? out.fluorescence : 0);
}

const char kHint[] = "give the columns with -c E,MU or -c E,I0,I1 or -f E,IF,I0";

TEST(ColumnChoice, RealFilesWithoutAColumnList) {
  EXPECT_EQ(choose(scan_data("V_foil.xdi"), {}, {}), "4 1 0 3 4 0");
  EXPECT_EQ(choose(scan_data("MnO_rt_01.xdi"), {}, {}), "4 1 0 2 3 0");
  EXPECT_EQ(choose(scan_data("S_elemental_rt_01.xdi"), {}, {}), "3 1 0 3 0 2");
  EXPECT_EQ(choose(scan_data("S_elemental_rt_01_mu.dat"), {}, {}),
            std::string("refused: 4 numbers per line and no column names; ") + kHint);
  EXPECT_EQ(choose(scan_data("S_elemental_rt_01_mu.dat"), {"1", "4"}, {}), "4 1 4 0 0 0");
  EXPECT_EQ(choose(scan_data("V_foil.xdi"), {"ENERGY", "I0", "itrans"}, {}), "4 1 0 3 4 0");
}

// A file's head, the column lists of -c and -f, -n, and the choice made.
struct ChoiceCase {
  FileHead head;
  std::vector<std::string> columns, fluorescence;
  int ncol;
  std::string expected;
};

TEST(ColumnChoice, Table) {
  const ChoiceCase cases[] = {
      {head_of("", 2), {}, {}, 0, "2 1 2 0 0 0"},
      {head_of("", 20), {"1", "17"}, {}, 0, "20 1 17 0 0 0"},
      {head_of("", 3), {"1", "2", "3"}, {}, 0, "3 1 0 2 3 0"},
      {head_of("", 3), {}, {"1", "2", "3"}, 0, "3 1 0 3 0 2"},
      {head_of("", 4), {"1", "4"}, {}, 12, "12 1 4 0 0 0"},          // -n beyond the count
      {head_of("", 4), {}, {}, 2, "2 1 2 0 0 0"},                    // -n 2: the 2-column table
      {head_of("energy i0 itrans", 3), {}, {}, 2, "2 1 2 0 0 0"},
      {head_of("energy time mu i0 it", 5), {}, {}, 0, "5 1 3 0 0 0"},  // absorption first
      {head_of("Energy IT I0 xmu mufluor", 5), {}, {}, 0, "5 1 4 0 0 0"},  // the leftmost
      {head_of("e if i0 it", 4), {}, {}, 0, "4 1 0 3 4 0"},          // I0 with I1 before IF
      {head_of("energy mu", 2), {"energy", "MU"}, {}, 0, "2 1 2 0 0 0"},
      {head_of("x energy y mu", 4), {"energy", "4"}, {}, 0, "4 2 4 0 0 0"},
  };
  for (const ChoiceCase& c : cases)
    EXPECT_EQ(choose(c.head, c.columns, c.fluorescence, c.ncol), c.expected)
        << joined(c.head.labels) << " / " << c.head.numbers;
}

TEST(ColumnChoice, Refusals) {
  std::string wide;
  for (int i = 1; i <= 70; ++i) wide += " c" + std::to_string(i);
  const ChoiceCase cases[] = {
      {head_of("", 0), {}, {}, 0, "no data line: no line outside the comments holds a number"},
      {head_of("energy counttime i0 itrans", 4), {"energy", "mu"}, {}, 0,
       "no column is named 'mu': its columns are: energy counttime i0 itrans"},
      {head_of("energy - i0", 3), {"1", "ifluor", "3"}, {}, 0,
       "no column is named 'ifluor': its columns are: energy - i0"},
      {head_of("", 4), {"energy", "4"}, {}, 0, "no column is named 'energy': the file names no columns"},
      {head_of("e i0 I0", 3), {"e", "i0", "1"}, {}, 0, "'i0' names columns 2 and 3: give the column number"},
      {head_of(wide, 64), {"c1", "c70"}, {}, 0, "'c70' is column 70: at most 64 numbers are read from a line"},
      {head_of("", 4), {"1", "65"}, {}, 0, "column 65 is not a column: columns count from 1 to 64"},
      {head_of("", 4), {}, {}, 65, "-n 65 is more than the 64 numbers a line may hold"},
      {head_of("", 4), {"1", "5"}, {}, 0, "the absorption column 5 is beyond the 4 numbers of the first data line"},
      {head_of("", 4), {"1", "4"}, {}, 3,
       "the absorption column 4 is beyond the 3 numbers that -n 3 reads from each line"},
      {head_of("", 1), {}, {}, 0, "the absorption column 2 is beyond the 1 number of the first data line"},
      {head_of("", 2), {"2", "1"}, {}, 0, "with 2 numbers per line the energy is column 1 and the absorption column 2"},
      {head_of("", 4), {}, {}, 0, std::string("4 numbers per line and no column names; ") + kHint},
      {head_of("energy counttime i0 irefer", 4), {}, {}, 0,
       std::string("no known names of energy with absorption, I0 and I1, or fluorescence and I0 "
                   "among its columns: energy counttime i0 irefer; ") + kHint},
      {head_of("angle mu i0 it", 4), {}, {}, 0,
       std::string("no known names of energy with absorption, I0 and I1, or fluorescence and I0 "
                   "among its columns: angle mu i0 it; ") + kHint},
      {head_of("energy murefer normtrans", 3), {}, {}, 0,
       std::string("no known names of energy with absorption, I0 and I1, or fluorescence and I0 "
                   "among its columns: energy murefer normtrans; ") + kHint},
  };
  for (const ChoiceCase& c : cases)
    EXPECT_EQ(choose(c.head, c.columns, c.fluorescence, c.ncol), "refused: " + c.expected)
        << joined(c.head.labels) << " / " << c.head.numbers;
}

}  // namespace
}  // namespace xas
