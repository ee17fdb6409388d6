// A result file keeps what is written before it is opened, in order, and
// reports a write that did not succeed.
#include "output/result_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "driver/freeform_write.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::ScratchDir;

int create(const ScratchDir& dir, const std::string& name) {
  return ::open(dir.file(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
}

TEST(ResultFile, LinesWrittenBeforeOpeningReachTheFileFirst) {
  ScratchDir dir;
  char area[64];
  ResultFile file;
  file.hold_in(area, sizeof area);
  file.line("first");
  file.record(FreeFormRecord().add_text("second").add_integer(2));
  file.lines("third\n");
  file.attach(create(dir, "a.txt"), "a.txt");
  file.line("after opening");
  ASSERT_TRUE(file.close());
  EXPECT_EQ(dir.read("a.txt"), "first\n second           2\nthird\nafter opening\n");
}

TEST(ResultFile, TextBeyondTheLentAreaIsKeptInOrder) {
  ScratchDir dir;
  char area[10];
  ResultFile file;
  file.hold_in(area, sizeof area);
  std::string expected;
  for (int i = 0; i < 200; ++i) {
    const std::string text = "line " + std::to_string(i);
    file.line(text);
    expected += text + "\n";
  }
  file.attach(create(dir, "b.txt"), "b.txt");
  ASSERT_TRUE(file.close());
  EXPECT_EQ(dir.read("b.txt"), expected);
}

TEST(ResultFile, WithoutALentAreaTheTextIsHeldAllTheSame) {
  ScratchDir dir;
  ResultFile file;
  file.line("held");
  file.attach(create(dir, "c.txt"), "c.txt");
  ASSERT_TRUE(file.close());
  EXPECT_EQ(dir.read("c.txt"), "held\n");
}

TEST(ResultFile, LargeFilesPassThroughTheBufferWhole) {
  ScratchDir dir;
  ResultFile file;
  file.attach(create(dir, "d.txt"), "d.txt");
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    const std::string text = std::to_string(i * 7919);
    file.line(text);
    expected += text + "\n";
  }
  ASSERT_TRUE(file.close());
  EXPECT_EQ(dir.read("d.txt"), expected);
}

TEST(ResultFile, AFailedWriteIsReportedWithTheFileName) {
  ResultFile file;
  file.attach(::open("/dev/full", O_WRONLY), "full.gabs");
  file.line("lost");
  std::string err;
  EXPECT_FALSE(file.close(&err));
  EXPECT_EQ(err, "xasreduce: cannot write 'full.gabs': No space left on device");
}

}  // namespace
}  // namespace xas
