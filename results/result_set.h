// The result files of one run, replaced as a set. Each file is written to a
// new hidden temporary in the result directory (created new, never through a
// link); the set is renamed into place only when every file of it has been
// written and closed without an error, under a lock on the directory, so
// that two runs committing the same names leave one run's set. On any
// failure, or when the set is dropped, the temporaries are removed and the
// earlier files stay as they were.
//
// The renames are announced in a hidden journal first: a run killed among
// them (kill -9) leaves the journal, and the next commit into the directory
// finishes the renames, so a set is never left half replaced for longer.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "common/text_out.h"

namespace xas {

class ResultSet {
 public:
  // Results in `directory` ("" or "." for the current one).
  explicit ResultSet(const std::string& directory);
  ~ResultSet();  // removes what was not committed
  ResultSet(const ResultSet&) = delete;
  ResultSet& operator=(const ResultSet&) = delete;

  // Whether `name` (in the directory) may take a result: absent, a regular
  // file, or a link (which the result replaces, leaving its target alone).
  // Sets *exists; fails, with a message, for anything else.
  bool check(const std::string& name, bool* exists, std::string* err) const;
  // Whether `name` is the file (device, inode) itself, also through a link.
  bool is_file(const std::string& name, dev_t device, ino_t inode) const;

  // Starts the result file `name`: its text goes to a new temporary. Fails
  // with the message "Cannot open file '<name>': <reason>".
  TextOut* open(const std::string& name, std::string* err);

  // Writes out and closes every file, then renames them into place. Fails,
  // naming the first file whose writes failed; nothing is replaced then.
  bool commit(std::string* err);

  // Removes the temporaries.
  void discard();

 private:
  struct File {
    std::string name;     // the result name
    std::string scratch;  // its temporary
    int fd = -1;
    int slot = -1;
    std::unique_ptr<TextOut> out;
  };
  void lock() const;
  void unlock() const;
  void finish_interrupted_commit() const;
  bool write_journal(std::string* err) const;

  std::string directory_;
  int dirfd_ = -1;
  int dir_error_ = 0;
  mutable int lock_fd_ = -1;
  std::vector<File> files_;
};

}  // namespace xas
