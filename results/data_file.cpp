#include "results/data_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/message_text.h"
#include "common/system_error.h"

namespace xas {

namespace {

// How long a FIFO may stay without a writer before it is taken for one that
// has none: long enough for a writer started beside the program to open it.
constexpr int kWriterWaitMs = 200;

void pause_ms(int ms) {
  const struct timespec t = {0, ms * 1000000L};
  nanosleep(&t, nullptr);
}

// The number of the line a read error stopped at: one past the complete lines read.
std::size_t line_at(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

}  // namespace

DataRead read_data_file(const std::string& path, int answers_fd, DataText* out, std::string* err) {
  // Without blocking: a FIFO with no writer must not hang the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *err = system_error_text(errno);
    return DataRead::cannot_open;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    *err = system_error_text(S_ISDIR(st.st_mode) ? EISDIR : errno);
    ::close(fd);
    return DataRead::cannot_open;
  }
  const std::string name = quote(path);
  auto refuse = [&](const std::string& why) {
    *err = why;
    ::close(fd);
    return DataRead::refused;
  };
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
    return refuse(name + " is a device, not a data file");
  if (S_ISSOCK(st.st_mode)) return refuse(name + " is a socket, not a data file");
  struct stat answers;
  if (answers_fd >= 0 && ::fstat(answers_fd, &answers) == 0 && answers.st_dev == st.st_dev &&
      answers.st_ino == st.st_ino)
    return refuse(name + " is the program's own standard input, which holds the answers, not the data");
  if (S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) > kMaxDataFile)
    return refuse(name + " holds " + std::to_string(st.st_size) +
                  " bytes, more than the 1 GiB a data file may hold");

  const bool pipe = S_ISFIFO(st.st_mode);
  std::string text;
  if (S_ISREG(st.st_mode)) text.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  int waited = 0;
  bool writer = !pipe;  // a FIFO has shown a writer
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      writer = true;
      text.append(buf, static_cast<std::size_t>(n));
      if (text.size() > kMaxDataFile)
        return refuse(name + " holds more than the 1 GiB a data file may hold");
      continue;
    }
    if (n == 0) {
      // A FIFO read before its writer has opened it reads as empty: wait a
      // little for a writer before taking the end for real.
      if (!writer && text.empty() && waited < kWriterWaitMs) {
        pause_ms(10);
        waited += 10;
        continue;
      }
      break;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // A writer that has not written yet: wait for its bytes or its end.
      struct pollfd p = {fd, POLLIN, 0};
      while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
      }
      writer = true;  // an end from now on is the end
      continue;
    }
    const int error = errno;
    return refuse("cannot read line " + std::to_string(line_at(text)) + " of " + name + ": " +
                  system_error_text(error) + "; the points read before it are not reduced");
  }
  if (!writer && text.empty())
    return refuse(name + " is a FIFO with no writer: nothing came to read from it");
  ::close(fd);
  out->path = path;
  out->text = std::move(text);
  out->device = st.st_dev;
  out->inode = st.st_ino;
  return DataRead::read;
}

}  // namespace xas
