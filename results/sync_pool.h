// Syncs files' data to the disk on a few threads kept for the whole program:
// several syncs wait at once, so that their waits overlap, and no thread is
// started for a file.
#pragma once

#include <condition_variable>
#include <mutex>

namespace xas {

// The syncs of one result set: queued, then waited for together.
class SyncBatch {
 public:
  SyncBatch() = default;
  ~SyncBatch() { wait(); }
  SyncBatch(const SyncBatch&) = delete;
  SyncBatch& operator=(const SyncBatch&) = delete;

  // Queues fdatasync(fd); a failure sets *error (when it is 0) to the errno.
  // The descriptor must stay open until wait() returns. Where no thread can
  // be started the sync is made here, at once.
  void add(int fd, int* error);
  // Returns when every sync queued has ended.
  void wait();

 private:
  friend class SyncPool;
  void done();
  std::mutex lock_;
  std::condition_variable ended_;
  int pending_ = 0;
};

}  // namespace xas
