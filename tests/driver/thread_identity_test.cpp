// The result files of a run do not depend on how many threads share the
// Fourier transform: every sum keeps its order whatever the split.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "driver/driver.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::ScratchDir;
using test::TestRun;

const char* const kExtensions[] = {".gabs", ".topn", ".gfou", ".gexa", ".topa", ".tope", ".topf"};

// Runs the whole reduction in `dir` with the transform on `threads` threads.
std::string reduce_in(const ScratchDir& dir, int threads) {
  char previous[4096];
  if (getcwd(previous, sizeof previous) == nullptr || chdir(dir.path().c_str()) != 0) return "";
  TestRun t(test::example("ni_synth_15000.dat") + "\n2\n1\n");
  t->threads = threads;
  int status = run_reduction(t.run());
  std::string screen = t.screen();
  if (chdir(previous) != 0) return "";
  EXPECT_EQ(status, 0) << t.errors();
  return screen;
}

TEST(ThreadIdentity, FullSizeResultFilesAreByteIdenticalForAnyThreadCount) {
  ScratchDir one, two, three;
  const std::string screen_one = reduce_in(one, 1);
  const std::string screen_two = reduce_in(two, 2);
  const std::string screen_three = reduce_in(three, 3);
  EXPECT_EQ(screen_one, screen_two);
  EXPECT_EQ(screen_one, screen_three);
  for (const char* ext : kExtensions) {
    const std::string name = std::string("ni_synth_15000") + ext;
    const std::string reference = one.read(name);
    ASSERT_FALSE(reference.empty()) << name;
    EXPECT_TRUE(reference == two.read(name)) << name << " differs with 2 threads";
    EXPECT_TRUE(reference == three.read(name)) << name << " differs with 3 threads";
  }
}

}  // namespace
}  // namespace xas
