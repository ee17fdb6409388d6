#include "results/sync_pool.h"

#include <unistd.h>

#include <cerrno>
#include <deque>
#include <system_error>
#include <thread>

namespace xas {

namespace {

struct Job {
  int fd;
  int* error;
  SyncBatch* batch;
};

}  // namespace

// The threads and their queue; made at the first sync and kept until the
// program ends (its threads then wait on an empty queue).
class SyncPool {
 public:
  static SyncPool* shared() {
    static SyncPool* pool = new SyncPool;  // never destroyed: its threads outlive main
    return pool->threads_ > 0 ? pool : nullptr;
  }
  void queue(const Job& job) {
    {
      const std::lock_guard<std::mutex> hold(lock_);
      jobs_.push_back(job);
    }
    ready_.notify_one();
  }
  static void run(const Job& job) {
    if (::fdatasync(job.fd) != 0 && *job.error == 0) *job.error = errno;
    job.batch->done();
  }

 private:
  // Enough for the files of a set to be synced together.
  static constexpr int kThreads = 4;
  SyncPool() {
    for (int i = 0; i < kThreads; ++i) {
      try {
        std::thread([this] { work(); }).detach();
        ++threads_;
      } catch (const std::system_error&) {
        break;
      }
    }
  }
  void work() {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> hold(lock_);
        ready_.wait(hold, [&] { return !jobs_.empty(); });
        job = jobs_.front();
        jobs_.pop_front();
      }
      run(job);
    }
  }
  std::mutex lock_;
  std::condition_variable ready_;
  std::deque<Job> jobs_;
  int threads_ = 0;
};

void SyncBatch::add(int fd, int* error) {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    ++pending_;
  }
  const Job job{fd, error, this};
  if (SyncPool* pool = SyncPool::shared())
    pool->queue(job);
  else
    SyncPool::run(job);
}

void SyncBatch::done() {
  const std::lock_guard<std::mutex> hold(lock_);
  if (--pending_ == 0) ended_.notify_all();
}

void SyncBatch::wait() {
  std::unique_lock<std::mutex> hold(lock_);
  ended_.wait(hold, [&] { return pending_ == 0; });
}

}  // namespace xas
