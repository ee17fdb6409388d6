#include "results/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "common/message_text.h"
#include "common/system_error.h"

namespace xas {

bool prepare_directory(const std::string& dir, std::string* err) {
  std::string path;
  std::size_t at = 0;
  while (at != std::string::npos) {
    at = dir.find('/', at + 1);
    path = dir.substr(0, at);
    if (!path.empty() && ::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
      *err = "cannot create the result directory " + quote(path) + ": " + system_error_text(errno);
      return false;
    }
  }
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *err = "the result directory " + quote(dir) + " is not a directory";
    return false;
  }
  const ScratchFile probe(dir, ".probe");
  if (!probe.ok()) {
    *err = "cannot write in the result directory " + quote(dir) + ": " +
           system_error_text(probe.error());
    return false;
  }
  return true;
}

namespace {

std::atomic<unsigned> g_scratch{0};

}  // namespace

ScratchFile::ScratchFile(const std::string& directory, const std::string& suffix) {
  const std::string dir = directory.empty() ? "." : directory;
  name_ = ".xasreduce-scratch-" + std::to_string(getpid()) + "-" +
          std::to_string(g_scratch.fetch_add(1)) + suffix;
  path_ = dir == "." ? name_ : dir + "/" + name_;
  dirfd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirfd_ < 0) {
    error_ = errno;
    return;
  }
  fd_ = temporaries::create(dirfd_, name_.c_str(), O_RDWR, &slot_);
  if (fd_ < 0) error_ = errno;
}

ScratchFile::~ScratchFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    unlinkat(dirfd_, name_.c_str(), 0);
    temporaries::forget(slot_);
  }
  if (dirfd_ >= 0) ::close(dirfd_);
}

std::string ScratchFile::contents() const {
  std::string text;
  char buf[4096];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd_, buf, sizeof buf, at);
    if (n <= 0) break;
    text.append(buf, static_cast<std::size_t>(n));
    at += n;
  }
  return text;
}

bool on_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t at = 0;
  while (at <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', at), dirs.size());
    const std::string dir = dirs.substr(at, end - at);
    if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    at = end + 1;
  }
  return false;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool file_identity(const std::string& path, dev_t* device, ino_t* inode) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *device = st.st_dev;
  *inode = st.st_ino;
  return true;
}

std::string program_directory() {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return std::string();
  const std::string path(self, static_cast<std::size_t>(n));
  return path.substr(0, path.find_last_of('/'));
}

}  // namespace xas
