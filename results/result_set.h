// The result files of one run, replaced as a set. Each file is written to a
// new hidden temporary in the result directory (created new, never through a
// link); the set is renamed into place only when every file of it has been
// written, synced to the disk and closed without an error, under a lock on
// the directory, so that two runs committing the same names leave one run's
// set; the directory is synced after the renames. On any failure, or when the
// set is dropped, the temporaries are removed and the earlier files stay as
// they were.
//
// The renames are announced in a hidden journal first: a run killed among
// them (kill -9) leaves the journal, and the next commit into the directory
// finishes the renames, so a set is never left half replaced for longer.
#pragma once

#include <sys/types.h>

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/text_out.h"
#include "results/sync_pool.h"
#include "results/temporaries.h"

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

  // Starts the result file `name`: its text goes to a new temporary through
  // the writer returned, which the set owns. Several threads may start and
  // write files of one set at once, each its own. Fails with "Cannot open
  // file '<name>': <reason>".
  TextOut* open(const std::string& name, std::string* err);
  // The result file `name` with the text.
  bool add(const std::string& name, const std::string& text, std::string* err);

  // The result file `name`, written by another program: the path of a new,
  // empty temporary for it to fill (relative to the current directory), or
  // "" with *err set.
  std::string add_external(const std::string& name, std::string* err);
  // The path of the temporary of a file added, its text written out, for
  // another program to read; "" when there is none.
  std::string scratch_path(const std::string& name);
  // Drops a file added (its temporary is removed), and removes the earlier
  // file of that name with the commit, so that no stale file is left beside
  // the new set.
  void drop(const std::string& name);

  // Writes out the files started so far and begins syncing them to the
  // disk on other threads, so that the wait overlaps whatever the caller
  // does next; those files are written no more. The commit waits.
  void start_sync();

  // Syncs and closes every file, then renames them into place. Fails, naming
  // the first file whose writes failed; nothing is replaced then.
  bool commit(std::string* err);

  // Removes the temporaries.
  void discard();

  const std::string& directory() const { return directory_; }

 private:
  struct File {
    std::string name;     // the result name
    std::string scratch;  // its temporary
    int fd = -1;
    temporaries::Slot* slot = nullptr;
    int error = 0;        // errno of the first failed write
    std::unique_ptr<TextOut> out;  // null for a file another program writes
    bool syncing = false;  // synced by the thread of start_sync()
  };
  bool start(const std::string& name, File* file, std::string* err);
  std::string scratch_path_of(const std::string& scratch) const;
  void lock() const;
  void unlock() const;
  void finish_interrupted_commit() const;
  bool write_journal(std::string* err) const;

  std::string directory_;
  int dirfd_ = -1;
  int dir_error_ = 0;
  mutable int lock_fd_ = -1;
  std::mutex files_lock_;  // held while files_ changes
  std::list<File> files_;  // a list: the sync thread holds pointers into it
  SyncBatch syncs_;  // of the files started
  std::vector<std::string> removals_;  // earlier files removed with the commit
};

}  // namespace xas
