// Text written line by line: kept in memory, or through the buffer to a
// descriptor, a failed write remembered and reported when flushed.
#include "common/text_out.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/freeform_write.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::ScratchDir;

TEST(TextOut, InMemoryKeepsEveryKindOfTextInOrder) {
  TextOut out;
  out.line("first");
  out.record(FreeFormRecord().add_text("second").add_integer(2));
  out.lines("third\nfourth\n");
  out.line("");
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(out.error(), 0);
  EXPECT_EQ(out.text(), "first\n second           2\nthird\nfourth\n\n");
}

TEST(TextOut, LargeFilesPassThroughTheBufferWhole) {
  // Many short lines; one text far longer than the buffer; texts that end
  // exactly at the buffer's end (32768 bytes) and one byte past it.
  std::string many;
  for (int i = 0; i < 20000; ++i) many += std::to_string(i * 7919) + "\n";
  const std::string cases[] = {many, std::string(100000, 'a') + "\n",
                               std::string(32767, 'b') + "\n" + "next\n",
                               std::string(32768, 'c') + "\n"};
  for (const std::string& text : cases) {
    ScratchDir dir;
    const int fd = ::open(dir.file("big.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    {
      TextOut out(fd);
      out.lines(text);
      EXPECT_TRUE(out.flush());
    }
    EXPECT_NE(::fcntl(fd, F_GETFD), -1) << "the descriptor stays the caller's";
    ::close(fd);
    EXPECT_EQ(dir.read("big.txt"), text) << text.size() << " bytes";
  }
}

TEST(TextOut, AFailedWriteIsRememberedAndReportedWithItsErrno) {
  // Written out when flushed, or already while the buffer fills.
  for (const std::size_t size : {std::size_t{5}, std::size_t{100000}}) {
    const int fd = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    TextOut out(fd);
    out.line(std::string(size, 'x'));
    EXPECT_FALSE(out.flush()) << size;
    EXPECT_EQ(out.error(), ENOSPC) << size;
    out.line("later");
    EXPECT_FALSE(out.flush()) << size;
    EXPECT_EQ(out.error(), ENOSPC) << size;
    ::close(fd);
  }
}

}  // namespace
}  // namespace xas
