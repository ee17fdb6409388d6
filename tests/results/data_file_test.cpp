// Data files are read once, whole, after a check of what they are: a pipe
// reads like a file, and what is no data file is refused before anything is
// read, at once (a device never ends, a FIFO with no writer never starts).
#include "results/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::ScratchDir;

const std::string kTable = "8000 1\n8001 1.5\n";

// A path in quotes, as the messages give it (built by append: GCC 12 warns
// falsely of "'" + std::string).
std::string quoted(const std::string& path) { return std::string("'").append(path).append("'"); }

TEST(DataFile, WhatIsReadAndWhatIsRefused) {
  ScratchDir dir;
  dir.write("table.dat", kTable);
  dir.write("empty.dat", "");
  ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0644), 0);
  const int answers = ::open(dir.file("table.dat").c_str(), O_RDONLY);
  ASSERT_GE(answers, 0);
  struct Case {
    std::string path;
    int answers_fd;
    DataRead outcome;
    std::string text_or_message;
  };
  const Case cases[] = {
      {dir.file("table.dat"), -1, DataRead::read, kTable},
      {dir.file("empty.dat"), -1, DataRead::read, ""},
      {dir.file("missing.dat"), -1, DataRead::cannot_open, std::strerror(ENOENT)},
      {dir.file("sub"), -1, DataRead::cannot_open, std::strerror(EISDIR)},
      {"/dev/zero", -1, DataRead::refused, "'/dev/zero' is a device, not a data file"},
      {dir.file("fifo"), -1, DataRead::refused,
       quoted(dir.file("fifo")) + " is a FIFO with no writer: nothing came to read from it"},
      {dir.file("table.dat"), answers, DataRead::refused,
       quoted(dir.file("table.dat")) +
           " is the program's own standard input, which holds the answers, not the data"},
      {"/proc/self/mem", -1, DataRead::refused,
       "cannot read line 1 of '/proc/self/mem': Input/output error; the points read before it are"
       " not reduced"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    DataText text;
    std::string err;
    const auto start = std::chrono::steady_clock::now();
    const DataRead outcome = read_data_file(c.path, c.answers_fd, &text, &err);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(outcome == DataRead::read ? text.text : err, c.text_or_message);
  }
  ::close(answers);
}

// A pipe (what the shell's <(...) gives) and a FIFO whose writer comes are read
// to their end, once: every point arrives.
TEST(DataFile, PipesAndFifosAreReadWhole) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += std::to_string(8000 + i) + " 1.25\n";
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::thread pipe_writer([&] {
    ::write(fds[1], big.data(), big.size());
    ::close(fds[1]);
  });
  DataText text;
  std::string err;
  EXPECT_EQ(read_data_file("/proc/self/fd/" + std::to_string(fds[0]), -1, &text, &err),
            DataRead::read)
      << err;
  pipe_writer.join();
  ::close(fds[0]);
  EXPECT_EQ(text.text, big);

  ScratchDir dir;
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0644), 0);
  std::thread fifo_writer([&] {
    const int fd = ::open(dir.file("fifo").c_str(), O_WRONLY);  // waits for the reader
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a slow first write
    ::write(fd, kTable.data(), kTable.size());
    ::close(fd);
  });
  EXPECT_EQ(read_data_file(dir.file("fifo"), -1, &text, &err), DataRead::read) << err;
  fifo_writer.join();
  EXPECT_EQ(text.text, kTable);
}

}  // namespace
}  // namespace xas
