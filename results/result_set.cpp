#include "results/result_set.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <cerrno>

#include "common/message_text.h"
#include "common/system_error.h"
#include "common/write_all.h"

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
  *err = "the result name " + quote(name) + " is taken by " + kind_of(st.st_mode) +
         "; nothing is replaced";
  return false;
}

bool ResultSet::is_file(const std::string& name, dev_t device, ino_t inode) const {
  struct stat st;
  return dirfd_ >= 0 && ::fstatat(dirfd_, name.c_str(), &st, 0) == 0 && st.st_dev == device &&
         st.st_ino == inode;
}

bool ResultSet::start(const std::string& name, File* file, std::string* err) {
  if (dirfd_ < 0) {
    *err = "Cannot open file " + quote(name) + ": " + system_error_text(dir_error_);
    return false;
  }
  file->name = name;
  file->scratch = scratch_name();
  file->fd = temporaries::create(dirfd_, file->scratch.c_str(), O_WRONLY, &file->slot);
  if (file->fd < 0) {
    *err = errno == EINTR ? "interrupted: the results are not replaced"
                          : "Cannot open file " + quote(name) + ": " + system_error_text(errno);
    return false;
  }
  return true;
}

TextOut* ResultSet::open(const std::string& name, std::string* err) {
  File file;
  if (!start(name, &file, err)) return nullptr;
  file.out = std::make_unique<TextOut>(file.fd);
  TextOut* out = file.out.get();
  const std::lock_guard<std::mutex> hold(files_lock_);
  files_.push_back(std::move(file));
  return out;
}

bool ResultSet::add(const std::string& name, const std::string& text, std::string* err) {
  TextOut* out = open(name, err);
  if (out == nullptr) return false;
  out->lines(text);
  return true;
}

std::string ResultSet::add_external(const std::string& name, std::string* err) {
  File file;
  if (!start(name, &file, err)) return std::string();
  const std::string path = scratch_path_of(file.scratch);
  const std::lock_guard<std::mutex> hold(files_lock_);
  files_.push_back(std::move(file));
  return path;
}

std::string ResultSet::scratch_path_of(const std::string& scratch) const {
  return directory_ == "." ? scratch : directory_ + "/" + scratch;
}

std::string ResultSet::scratch_path(const std::string& name) {
  for (File& file : files_) {
    if (file.name != name) continue;
    if (file.out != nullptr && !file.out->flush() && file.error == 0) file.error = file.out->error();
    return scratch_path_of(file.scratch);
  }
  return std::string();
}

void ResultSet::drop(const std::string& name) {
  for (auto it = files_.begin(); it != files_.end(); ++it) {
    if (it->name != name) continue;
    if (it->fd >= 0) ::close(it->fd);
    unlinkat(dirfd_, it->scratch.c_str(), 0);
    temporaries::forget(it->slot);
    files_.erase(it);
    break;
  }
  bool exists = false;
  std::string ignored;
  if (check(name, &exists, &ignored) && exists) removals_.push_back(name);
}

void ResultSet::start_sync() {
  for (File& file : files_) {
    if (file.syncing) continue;
    if (file.out != nullptr && !file.out->flush() && file.error == 0) file.error = file.out->error();
    file.syncing = true;
    if (file.error == 0) syncs_.add(file.fd, &file.error);
  }
}

bool ResultSet::commit(std::string* err) {
  bool ok = true;
  // Synced before the renames: after a crash the set is the old one or the
  // new one, never files renamed into place before their contents.
  start_sync();
  syncs_.wait();
  for (File& file : files_) {
    int error = file.error;
    if (::close(file.fd) != 0 && error == 0) error = errno;
    file.fd = -1;
    if (error != 0 && ok) {
      *err = "cannot write " + quote(file.name) + ": " + system_error_text(error);
      ok = false;
    }
  }
  if (!ok || (files_.empty() && removals_.empty())) {
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
  std::vector<temporaries::Slot*> slots;
  for (const File& file : files_) slots.push_back(file.slot);
  // From here the signal handlers wait for the commit to end: the journal
  // and the renames are not interrupted halfway.
  if (!temporaries::begin_commit(slots.data(), static_cast<int>(slots.size()))) {
    *err = "interrupted: the results are not replaced";
    unlock();
    discard();
    return false;
  }
  if (!write_journal(err)) {
    temporaries::end_commit();
    unlock();
    discard();
    return false;
  }
  for (File& file : files_) {
    if (::renameat(dirfd_, file.scratch.c_str(), dirfd_, file.name.c_str()) != 0 && ok) {
      *err = "cannot put " + quote(file.name) + " in place: " + system_error_text(errno);
      ok = false;
      unlinkat(dirfd_, file.scratch.c_str(), 0);
    }
  }
  for (const std::string& name : removals_) unlinkat(dirfd_, name.c_str(), 0);
  ::fsync(dirfd_);
  unlinkat(dirfd_, kJournal, 0);
  temporaries::end_commit();
  unlock();
  for (const File& file : files_) temporaries::forget(file.slot);
  files_.clear();
  removals_.clear();
  return ok;
}

void ResultSet::discard() {
  syncs_.wait();
  for (File& file : files_) {
    if (file.fd >= 0) ::close(file.fd);
    unlinkat(dirfd_, file.scratch.c_str(), 0);
    temporaries::forget(file.slot);
  }
  files_.clear();
  removals_.clear();
}

// The journal holds the pairs "scratch\0name\0" of the renames to come, and
// "\0name\0" for each earlier file removed. It is written aside and renamed
// into place, so that it is whole or absent. It serves a run killed among its
// renames; the renames themselves are made durable by the sync of the
// directory that follows them.
bool ResultSet::write_journal(std::string* err) const {
  std::string text;
  for (const File& file : files_) {
    text += file.scratch;
    text += '\0';
    text += file.name;
    text += '\0';
  }
  for (const std::string& name : removals_) {
    text += '\0';
    text += name;
    text += '\0';
  }
  const int fd = ::openat(dirfd_, kJournalDraft, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                          0644);
  int error = fd >= 0 ? write_all(fd, text.data(), text.size()) : errno;
  if (fd >= 0 && ::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::renameat(dirfd_, kJournalDraft, dirfd_, kJournal) != 0) error = errno;
  if (error != 0) {
    *err = "cannot write the commit journal in " + quote(directory_) + ": " +
           system_error_text(error);
    unlinkat(dirfd_, kJournalDraft, 0);
    return false;
  }
  return true;
}

// A journal found under the lock was left by a run killed among its renames:
// the renames (and removals) it lists are finished.
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
    if (scratch.empty())
      ::unlinkat(dirfd_, name.c_str(), 0);
    else
      ::renameat(dirfd_, scratch.c_str(), dirfd_, name.c_str());
    at = end + 1;
  }
  ::fsync(dirfd_);
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
