// The command line through the whole program: the same result files and the
// same screen (as BASE.log) as the dialogue for the same answers, several
// files in one call with a summary, columns by label, and usage errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/expected_text.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas::test {
namespace {

const char* const kExtensions[] = {".gabs", ".topn", ".gfou", ".gexa", ".topa", ".tope", ".topf"};

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> cells;
  std::size_t at = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', at);
    cells.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
    if (tab == std::string::npos) return cells;
    at = tab + 1;
  }
}

// The summary's rows after its header, split into cells.
std::vector<std::vector<std::string>> rows(const std::string& out) {
  std::vector<std::vector<std::string>> table;
  const std::vector<std::string> lines = split_lines(out);
  EXPECT_FALSE(lines.empty());
  if (lines.empty()) return table;
  EXPECT_EQ(lines[0],
            "file\tstatus\tchannel\tpoints\te0_eV\tslope\tjump\tewl_eV\thwl\tnoise\tmessage");
  for (std::size_t i = 1; i < lines.size(); ++i) table.push_back(fields(lines[i]));
  return table;
}

// Every example, answered in the dialogue and given on the command line.
TEST(CommandLine, GivesTheDialoguesFilesAndScreenForTheSameAnswers) {
  struct Case {
    const char* file;
    const char* answers;  // after the name
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"cu_foil.dat", "2\n1\n", {"-t"}},
      {"ge.dat", "2\n0\n", {}},
      {"ni_synth_15000.dat", "2\n1\n", {"-t"}},
      {"V_foil.xdi", "4\n1 0\n3 4\n1\n", {"-t"}},           // by its labels: i0, itrans
      {"MnO_rt_01.xdi", "4\n1 0\n2 3\n0\n", {}},            // by its labels
      {"S_elemental_rt_01_mu.dat", "4\n1 4\n1\n", {"-c", "1,4", "--topdrawer"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ScratchDir dialogue, command;
    const std::string data = read_file(example(c.file));
    dialogue.write(c.file, data);
    command.write(c.file, data);
    const ProgramResult d = run_program(dialogue.path(), std::string(c.file) + "\n" + c.answers);
    ASSERT_EQ(d.status, 0) << d.err;
    std::vector<std::string> args = c.options;
    args.push_back(c.file);
    const ProgramResult l = run_program(command.path(), "", args);
    ASSERT_EQ(l.status, 0) << l.err;
    const std::string base = std::string(c.file).substr(0, std::string(c.file).rfind('.'));
    // The log is the dialogue's screen, and a last line that names the channel.
    const std::string log = command.read(base + ".log");
    ASSERT_EQ(log.substr(0, d.out.size()), d.out);
    EXPECT_EQ(log.substr(d.out.size()).rfind(" ... channel reduced: ", 0), 0u) << log.substr(d.out.size());
    for (const char* ext : kExtensions) {
      EXPECT_EQ(command.exists(base + ext), dialogue.exists(base + ext)) << ext;
      EXPECT_EQ(command.read(base + ext), dialogue.read(base + ext)) << ext;
    }
  }
}

// A file that is refused does not stop the others; its row says why.
TEST(CommandLine, ARefusedFileInABatchLeavesTheOthersReduced) {
  ScratchDir dir;
  dir.write("cu.dat", read_file(example("cu_foil.dat")));
  dir.write("ge.dat", read_file(example("ge.dat")));
  std::string flat;
  for (int i = 0; i < 100; ++i) flat += std::to_string(8800 + 2 * i) + " 1.0\n";
  dir.write("flat.dat", flat);
  const ProgramResult r = run_program(dir.path(), "", {"-q", "cu.dat", "flat.dat", "missing.dat", "ge.dat"});
  EXPECT_EQ(r.status, 1) << r.err;
  const auto table = rows(r.out);
  ASSERT_EQ(table.size(), 4u) << r.out;
  EXPECT_EQ(table[0][0], "cu.dat");
  EXPECT_EQ(table[0][1], "ok");
  EXPECT_EQ(table[0][2], "col 2");
  EXPECT_EQ(table[0][3], "1461");
  EXPECT_EQ(table[0][4], "8981.10352");  // the digits of the screen report
  EXPECT_EQ(table[0][6], "2.50108409");
  EXPECT_EQ(table[1], (std::vector<std::string>{"flat.dat", "refused", "col 2", "", "", "", "", "",
                                                "", "", "no absorption edge: the absorption never rises"}));
  EXPECT_EQ(table[2][1], "refused");
  EXPECT_EQ(table[2][10], "cannot open 'missing.dat': No such file or directory");
  EXPECT_EQ(table[3][1], "ok");
  EXPECT_TRUE(dir.exists("cu.gabs") && dir.exists("ge.gexa") && dir.exists("ge.log"));
  EXPECT_FALSE(dir.exists("flat.gabs") || dir.exists("flat.log"));
  EXPECT_NE(r.err.find("xasreduce: flat.dat: refused: no absorption edge"), std::string::npos)
      << r.err;
}

// scan.001 and scan.002 would both write scan.*: each keeps its whole name.
TEST(CommandLine, FilesSharingABaseNameKeepTheirWholeNames) {
  ScratchDir dir;
  const std::string copper = read_file(example("cu_foil.dat"));
  dir.write("scan.001", copper);
  dir.write("scan.002", copper);
  dir.write("other.dat", copper);
  const ProgramResult r =
      run_program(dir.path(), "", {"-o", "out/run", "scan.001", "scan.002", "other.dat", "scan.001"});
  EXPECT_EQ(r.status, 1) << r.err;  // the file given twice
  for (const char* name : {"out/run/scan.001.gabs", "out/run/scan.002.gabs", "out/run/other.gabs"})
    EXPECT_TRUE(dir.exists(name)) << name;
  EXPECT_FALSE(dir.exists("out/run/scan.gabs"));
  EXPECT_EQ(dir.read("out/run/scan.001.gabs"), dir.read("out/run/scan.002.gabs"));
  const auto table = rows(r.out);
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[3][1], "refused");
  EXPECT_NE(table[3][10].find("given twice"), std::string::npos) << table[3][10];
}

// Columns chosen by the file's own labels, by label names given, and by
// number in a table wider than the dialogue reads.
TEST(CommandLine, ColumnsByLabelFluorescenceAndWideTables) {
  ScratchDir dir;
  for (const char* f : {"V_foil.xdi", "S_elemental_rt_01.xdi", "S_elemental_rt_01_mu.dat"})
    dir.write(f, read_file(example(f)));
  // The copper table with the absorption in column 17 of 20 numbers.
  std::string wide;
  for (const std::string& line : split_lines(read_file(example("cu_foil.dat")))) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t blank = line.find(' ');
    std::string row = line.substr(0, blank);
    for (int c = 2; c <= 20; ++c) {
      row += ' ';
      row += c == 17 ? line.substr(blank + 1) : std::to_string(c);
    }
    wide += row + "\n";
  }
  dir.write("wide.dat", wide);
  dir.write("cu.dat", read_file(example("cu_foil.dat")));
  struct Case {
    std::vector<std::string> args;
    const char* base;
    const char* echo;  // the column line of the log
  };
  const Case cases[] = {
      {{"V_foil.xdi"}, "V_foil", "  >>> E, I0, I1:            1           3           4"},
      {{"-c", "energy,i0,itrans", "V_foil.xdi"}, "V_foil", "  >>> E, I0, I1:            1           3           4"},
      {{"S_elemental_rt_01.xdi"}, "S_elemental_rt_01", "  >>> E, IF, I0:            1           2           3"},
      {{"-f", "1,2,3", "S_elemental_rt_01.xdi"}, "S_elemental_rt_01", "  >>> E, IF, I0:            1           2           3"},
      {{"-c", "1,17", "wide.dat"}, "wide", "  >>> E, ABS:            1          17"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    const ProgramResult r = run_program(dir.path(), "", c.args);
    EXPECT_EQ(r.status, 0) << r.err << r.out;
    const std::string log = dir.read(std::string(c.base) + ".log");
    EXPECT_NE(log.find(std::string(c.echo) + "\n"), std::string::npos) << log;
  }
  // IF/I0 computed from the counts gives the edge of the table that holds it.
  const auto fluorescence = rows(run_program(dir.path(), "", {"S_elemental_rt_01.xdi"}).out);
  const auto stored = rows(run_program(dir.path(), "", {"-c", "1,4", "S_elemental_rt_01_mu.dat"}).out);
  ASSERT_EQ(fluorescence.size(), 1u);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(fluorescence[0][4], stored[0][4]);
  // Column 17 of the wide table is the copper absorption: the same results.
  ASSERT_EQ(run_program(dir.path(), "", {"cu.dat"}).status, 0);
  EXPECT_EQ(dir.read("wide.gabs"), dir.read("cu.gabs"));
  // Without columns, a file whose labels name nothing known is refused with a hint.
  const ProgramResult unlabelled = run_program(dir.path(), "", {"S_elemental_rt_01_mu.dat"});
  EXPECT_EQ(unlabelled.status, 1);
  EXPECT_NE(unlabelled.out.find("give the columns with -c"), std::string::npos) << unlabelled.out;
}

// Usage errors: status 2, one line on the error stream, nothing reduced.
TEST(CommandLine, UsageErrorsAreReportedBeforeAnythingIsReduced) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--bogus", "cu.dat"}, "xasreduce: unknown option '--bogus'"},
      {{"-q"}, "xasreduce: no FILE given"},
      {{"-c", "1", "cu.dat"}, "xasreduce: -c takes 2 columns (E,MU) or 3 (E,I0,I1), not 1"},
      {{"-o", "cu.dat", "cu.dat"}, "xasreduce: the result directory 'cu.dat' is not a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    ScratchDir dir;
    dir.write("cu.dat", read_file(example("cu_foil.dat")));
    const ProgramResult r = run_program(dir.path(), "", c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.find(c.message), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(dir.exists("cu.gabs"));
  }
  ScratchDir dir;
  const ProgramResult help = run_program(dir.path(), "", {"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--columns", "--fluorescence", "--ncol", "--topdrawer", "--outdir",
                             "--jobs", "--png", "--svg", "--quiet", "--help", "--version"})
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  // The version is written once: --version and the dialogue's banner agree.
  const std::string version = run_program(dir.path(), "", {"-V"}).out;
  ASSERT_EQ(version.rfind("xasreduce ", 0), 0u) << version;
  const std::string number = version.substr(10, version.size() - 11);
  EXPECT_NE(run_program(dir.path(), "\n").out.find("  version " + number + " "), std::string::npos);
}

}  // namespace
}  // namespace xas::test
