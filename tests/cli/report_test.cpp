// The page of a series (--report): its table holds every file with its
// status and message, names escaped; a real browser (Debian's chromium,
// headless) loads it, runs its script without an error and shows every row.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas::test {
namespace {

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The output of a shell command, its error stream into `err_file`.
std::string command_output(const std::string& command, const std::string& err_file) {
  std::string out;
  if (std::FILE* pipe = ::popen((command + " 2>" + err_file).c_str(), "r")) {
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    ::pclose(pipe);
  }
  return out;
}

TEST(Report, EveryFileInTheTableAndTheBrowserShowsIt) {
  ScratchDir dir;
  const std::string copper = read_file(example("cu_foil.dat"));
  dir.write("a&b<1>.dat", copper);
  dir.write("two.dat", "8000 1\n8001 2\n");
  dir.write("c2.dat", copper);
  const ProgramResult r =
      run_program(dir.path(), "", {"-q", "--report", "page/series.html", "-o", "out", "a&b<1>.dat",
                                   "two.dat", "c2.dat", example("MnO_rt_01.xdi")});
  ASSERT_EQ(r.status, 1) << r.err;  // one refused
  const std::string page = read_file(dir.file("page/series.html"));
  EXPECT_EQ(count(page, "<tr class="), 4);
  EXPECT_EQ(count(page, "<tr class=\"refused\">"), 1);
  EXPECT_EQ(count(page, "<tr class=\"warned\">"), 1);
  EXPECT_NE(page.find("a&amp;b&lt;1&gt;.dat"), std::string::npos);
  EXPECT_EQ(page.find("a&b<1>"), std::string::npos);
  EXPECT_NE(page.find("2 data points are too few to locate an edge"), std::string::npos);
  EXPECT_NE(page.find("warning: the pre-edge line rests on one point"), std::string::npos);
  // Three spectra and the series, drawn by gnuplot, inside the page.
  EXPECT_EQ(count(page, "src=\"data:image/svg+xml;base64,"), 4);
  EXPECT_EQ(page.find("http"), std::string::npos) << "the page asks for nothing from a network";

  const std::string browser = std::system("command -v chromium > /dev/null 2>&1") == 0
                                  ? "chromium"
                                  : "";
  ASSERT_FALSE(browser.empty()) << "chromium is not installed (scripts/install-deps test)";
  const std::string err_file = dir.file("browser.err");
  const std::string dom = command_output(
      "timeout 120 " + browser +
          " --headless --no-sandbox --disable-gpu --enable-logging=stderr --v=0 --dump-dom "
          "'file://" + dir.file("page/series.html") + "'",
      err_file);
  EXPECT_NE(dom.find("data-rows=\"4\""), std::string::npos) << "the page's script did not run";
  for (const char* name : {"a&amp;b&lt;1&gt;.dat", "two.dat", "c2.dat", "MnO_rt_01.xdi"})
    EXPECT_NE(dom.find(name), std::string::npos) << name;
  const std::string err = read_file(err_file);
  EXPECT_EQ(err.find("Uncaught"), std::string::npos) << err;
  EXPECT_EQ(err.find("CONSOLE"), std::string::npos) << err;
}

}  // namespace
}  // namespace xas::test
