// File-name completion: what Tab adds to the typed name, and the names it
// offers when several match.
#include "terminal/file_completion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/in_directory.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

TEST(FileCompletion, CompletesAgainstTheTypedDirectory) {
  test::ScratchDir dir;
  for (const char* name : {"cu_foil.dat", "cu_edge.dat", ".hidden", "my data.dat"})
    dir.write(name, "");
  ASSERT_EQ(mkdir(dir.file("runs").c_str(), 0755), 0);
  dir.write("runs/ni_k.dat", "");
  ASSERT_EQ(symlink("runs", dir.file("link_to_runs").c_str()), 0);
  test::InDirectory here(dir.path());

  struct Case {
    std::string typed, insert, choices;  // choices joined by "|"
  };
  const Case cases[] = {
      {"cu_fo", "il.dat", ""},
      {"cu", "_", "cu_edge.dat|cu_foil.dat"},  // the common part of two matches
      {"cu_", "", "cu_edge.dat|cu_foil.dat"},
      {"ru", "ns/", ""},  // a directory ends in "/"
      {"runs/", "ni_k.dat", ""},
      {"link", "_to_runs/", ""},  // a link counts as what it points to
      {dir.path() + "/ru", "ns/", ""},
      {".", "hidden", ""},  // hidden names only when asked for
      {"", "", "cu_edge.dat|cu_foil.dat|link_to_runs/|my data.dat|runs/"},
      {"my", " data.dat", ""},  // blanks belong to the name, unquoted
      {"zz", "", ""},
      {"nodir/x", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FileCompletion found = complete_file_name(c.typed);
    EXPECT_EQ(found.insert, c.insert);
    std::string choices;
    for (const std::string& name : found.choices) choices += (choices.empty() ? "" : "|") + name;
    EXPECT_EQ(choices, c.choices);
  }
}

}  // namespace
}  // namespace xas
