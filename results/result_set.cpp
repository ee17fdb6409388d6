#include "results/result_set.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "common/message_text.h"
#include "results/temporaries.h"

namespace xas {

namespace {

constexpr char kJournal[] = ".xasreduce-commit";
constexpr char kJournalDraft[] = ".xasreduce-commit.new";
constexpr char kLockFile[] = ".xasreduce-lock";

std::atomic<unsigned> g_counter{0};

// A hidden name no other run uses: the process, a counter, and the time.
std::string scratch_name() {
  struct timespec now = {};
  clock_gettime(CLOCK_REALTIME, &now);
  return ".xasreduce-" + std::to_string(getpid()) + "-" + std::to_string(g_counter.fetch_add(1)) +
         "-" + std::to_string(now.tv_nsec % 1000000);
}

const char* kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "something that is not a file";
}

bool write_all(int fd, const std::string& text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

ResultSet::ResultSet(const std::string& directory)
    : directory_(directory.empty() ? "." : directory) {
  dirfd_ = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd_ < 0) dir_error_ = errno;
}

ResultSet::~ResultSet() {
  discard();
  if (dirfd_ >= 0) ::close(dirfd_);
}

bool ResultSet::check(const std::string& name, bool* exists, std::string* err) const {
  struct stat st;
  *exists = false;
  if (dirfd_ < 0 || ::fstatat(dirfd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return true;
  *exists = true;
  if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) return true;
  *err = "xasreduce: the result name " + quote(name) + " is taken by " + kind_of(st.st_mode) +
         "; nothing is replaced";
  return false;
}

bool ResultSet::is_file(const std::string& name, dev_t device, ino_t inode) const {
  struct stat st;
  return dirfd_ >= 0 && ::fstatat(dirfd_, name.c_str(), &st, 0) == 0 && st.st_dev == device &&
         st.st_ino == inode;
}

TextOut* ResultSet::open(const std::string& name, std::string* err) {
  if (dirfd_ < 0) {
    *err = "Cannot open file " + quote(name) + ": " + std::strerror(dir_error_);
    return nullptr;
  }
  File file;
  file.name = name;
  file.scratch = scratch_name();
  // Known to the signal handlers before it exists, so that no moment leaves
  // it behind.
  file.slot = temporaries::add(dirfd_, file.scratch.c_str());
  file.fd = ::openat(dirfd_, file.scratch.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (file.fd < 0) {
    *err = "Cannot open file " + quote(name) + ": " + std::strerror(errno);
    temporaries::forget(file.slot);
    return nullptr;
  }
  file.out = std::make_unique<TextOut>(file.fd);
  files_.push_back(std::move(file));
  return files_.back().out.get();
}

bool ResultSet::commit(std::string* err) {
  bool ok = true;
  for (File& file : files_) {
    int error = file.out->flush() ? 0 : file.out->error();
    if (::close(file.fd) != 0 && error == 0) error = errno;
    file.fd = -1;
    if (error != 0 && ok) {
      *err = "xasreduce: cannot write " + quote(file.name) + ": " + std::strerror(error);
      ok = false;
    }
  }
  if (!ok || files_.empty()) {
    discard();
    return ok;
  }
  lock();
  finish_interrupted_commit();
  // Under the lock, every name is checked once more before the first
  // rename: something put at a name since the run began stops the commit
  // whole, not halfway.
  for (const File& file : files_) {
    bool exists = false;
    if (!check(file.name, &exists, err)) {
      unlock();
      discard();
      return false;
    }
  }
  std::vector<int> slots;
  for (const File& file : files_) slots.push_back(file.slot);
  if (!write_journal(err) || !temporaries::begin_commit(slots.data(), static_cast<int>(slots.size()))) {
    if (err->empty()) *err = "xasreduce: interrupted: the results are not replaced";
    unlinkat(dirfd_, kJournal, 0);
    unlock();
    discard();
    return false;
  }
  for (File& file : files_) {
    if (::renameat(dirfd_, file.scratch.c_str(), dirfd_, file.name.c_str()) != 0 && ok) {
      *err = "xasreduce: cannot put " + quote(file.name) + " in place: " + std::strerror(errno);
      ok = false;
      unlinkat(dirfd_, file.scratch.c_str(), 0);
    }
  }
  unlinkat(dirfd_, kJournal, 0);
  temporaries::end_commit();
  unlock();
  for (const File& file : files_) temporaries::forget(file.slot);
  files_.clear();
  return ok;
}

void ResultSet::discard() {
  for (File& file : files_) {
    if (file.fd >= 0) ::close(file.fd);
    unlinkat(dirfd_, file.scratch.c_str(), 0);
    temporaries::forget(file.slot);
  }
  files_.clear();
}

// The journal holds the pairs "scratch\0name\0" of the renames to come. It
// is written aside and renamed into place, so that it is whole or absent.
bool ResultSet::write_journal(std::string* err) const {
  std::string text;
  for (const File& file : files_) {
    text += file.scratch;
    text += '\0';
    text += file.name;
    text += '\0';
  }
  const int fd = ::openat(dirfd_, kJournalDraft, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                          0644);
  bool ok = fd >= 0 && write_all(fd, text);
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (ok && ::renameat(dirfd_, kJournalDraft, dirfd_, kJournal) != 0) ok = false;
  if (!ok) {
    *err = "xasreduce: cannot write the commit journal in " + quote(directory_) + ": " +
           std::strerror(errno);
    unlinkat(dirfd_, kJournalDraft, 0);
  }
  return ok;
}

// A journal found under the lock was left by a run killed among its renames:
// the renames it lists are finished.
void ResultSet::finish_interrupted_commit() const {
  const int fd = ::openat(dirfd_, kJournal, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  std::string text;
  char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
  ::close(fd);
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t mid = text.find('\0', at);
    if (mid == std::string::npos) break;
    const std::size_t end = text.find('\0', mid + 1);
    if (end == std::string::npos) break;
    const std::string scratch = text.substr(at, mid - at);
    const std::string name = text.substr(mid + 1, end - mid - 1);
    ::renameat(dirfd_, scratch.c_str(), dirfd_, name.c_str());
    at = end + 1;
  }
  unlinkat(dirfd_, kJournal, 0);
}

void ResultSet::lock() const {
  if (::flock(dirfd_, LOCK_EX) == 0) return;
  // Where a directory cannot be locked (some network file systems), a lock
  // file in it serves.
  lock_fd_ = ::openat(dirfd_, kLockFile, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (lock_fd_ >= 0 && ::flock(lock_fd_, LOCK_EX) != 0) {
    ::close(lock_fd_);
    lock_fd_ = -1;
  }
}

void ResultSet::unlock() const {
  if (lock_fd_ >= 0) {
    ::close(lock_fd_);
    lock_fd_ = -1;
  } else {
    ::flock(dirfd_, LOCK_UN);
  }
}

}  // namespace xas
