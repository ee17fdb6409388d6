// The result files of a run do not depend on how many threads share the
// Fourier transform: every sum keeps its order whatever the split.
#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"
#include "support/expected_text.h"
#include "support/in_directory.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::InDirectory;
using test::kResultExtensions;
using test::ScratchDir;
using test::TestRun;

// Runs the whole reduction in `dir` with the transform on `threads` threads.
std::string reduce_in(const ScratchDir& dir, int threads) {
  TestRun t(test::answers(test::example("ni_synth_15000.dat")));
  t->threads = threads;
  int status = -1;
  {
    InDirectory in(dir.path());
    status = run_reduction(t.run());
  }
  EXPECT_EQ(status, 0) << t.errors();
  return t.screen();
}

TEST(ThreadIdentity, FullSizeResultFilesAreByteIdenticalForAnyThreadCount) {
  ScratchDir one, two, three;
  const std::string screen_one = reduce_in(one, 1);
  const std::string screen_two = reduce_in(two, 2);
  const std::string screen_three = reduce_in(three, 3);
  EXPECT_EQ(screen_one, screen_two);
  EXPECT_EQ(screen_one, screen_three);
  for (const char* ext : kResultExtensions) {
    const std::string name = std::string("ni_synth_15000") + ext;
    const std::string reference = one.read(name);
    ASSERT_FALSE(reference.empty()) << name;
    EXPECT_TRUE(reference == two.read(name)) << name << " differs with 2 threads";
    EXPECT_TRUE(reference == three.read(name)) << name << " differs with 3 threads";
  }
}

}  // namespace
}  // namespace xas
