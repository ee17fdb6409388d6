// The file-system calls of the command line beside its result sets: the
// result directory, scratch files for the programs it runs, and finding
// programs and the files installed beside it.
#pragma once

#include <sys/types.h>

#include <string>

#include "results/temporaries.h"

namespace xas {

// Creates `dir` (and its parents) when missing and checks that files can be
// made in it. Fails with a message that names the directory.
bool prepare_directory(const std::string& dir, std::string* err);

// A hidden scratch file in a directory, made new and registered with the
// signal handlers; removed when it goes. For the input and the messages of
// the programs the command line runs.
class ScratchFile {
 public:
  // In `directory` ("" or "." for the current one), its name ending in
  // `suffix`. ok() tells whether it was made; error() why not.
  ScratchFile(const std::string& directory, const std::string& suffix);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  int error() const { return error_; }
  int fd() const { return fd_; }
  // The path, relative to the current directory.
  const std::string& path() const { return path_; }
  // Everything the file holds now (read from its start).
  std::string contents() const;

 private:
  std::string path_;
  int dirfd_ = -1;
  int fd_ = -1;
  int error_ = 0;
  std::string name_;
  temporaries::Slot* slot_ = nullptr;
};

// Whether an executable `name` is in one of the directories of PATH.
bool on_path(const std::string& name);

// Whether a file exists at `path`.
bool file_exists(const std::string& path);

// The identity of the file at `path` (through links); false when there is none.
bool file_identity(const std::string& path, dev_t* device, ino_t* inode);

// The directory of the running program ("" when it cannot be told).
std::string program_directory();

}  // namespace xas
