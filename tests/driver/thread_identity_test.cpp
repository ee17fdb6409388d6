// The result files and the screen of a run do not depend on how many threads
// share the Fourier transform: every sum keeps its order whatever the split.
#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"
#include "common/text_out.h"
#include "support/expected_text.h"
#include "support/memory_answers.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::kResultExtensions;
using test::ScratchDir;

// Runs the whole reduction of the full-size spectrum with its results in
// `dir` and the transform on `threads` threads; returns the screen.
std::string reduce_in(const ScratchDir& dir, int threads) {
  DialogueOptions options;
  options.directory = dir.path();
  options.threads = threads;
  const test::InProcessRun run =
      test::reduce_in_process(test::answers(test::example("ni_synth_15000.dat")), options);
  EXPECT_EQ(run.outcome.status, 0) << run.outcome.message;
  return run.screen;
}

TEST(ThreadIdentity, FullSizeResultFilesAreByteIdenticalForAnyThreadCount) {
  ScratchDir one, two, three;
  const std::string screen_one = reduce_in(one, 1);
  const std::string screen_two = reduce_in(two, 2);
  const std::string screen_three = reduce_in(three, 3);
  ASSERT_FALSE(screen_one.empty());
  EXPECT_TRUE(screen_one == screen_two) << "the screen differs with 2 threads";
  EXPECT_TRUE(screen_one == screen_three) << "the screen differs with 3 threads";
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
