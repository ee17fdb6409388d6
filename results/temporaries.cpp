#include "results/temporaries.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace xas::temporaries {

enum State : int { kFree, kCreating, kUsed, kCommitting, kRemoving };

struct Slot {
  std::atomic<int> state{kFree};
  int dirfd = -1;
  char name[kMaxName + 1] = {};
};

namespace {

// A block of slots; blocks are linked as they are added and never freed.
struct Block {
  static constexpr int kSlots = 256;
  Slot slots[kSlots];
  std::atomic<Block*> next{nullptr};
};

Block g_first;
std::atomic<int> g_commits{0};
std::atomic<bool> g_dying{false};
thread_local sigset_t g_held;

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void pause_briefly() {
  const struct timespec pause = {0, 100000};
  nanosleep(&pause, nullptr);
}

// Only async-signal-safe calls: atomics, unlinkat, nanosleep, sigaction, raise.
void on_signal(int sig) {
  g_dying.store(true);
  for (Block* block = &g_first; block != nullptr; block = block->next.load()) {
    for (Slot& slot : block->slots) {
      // A temporary being created is waited for: its thread holds the
      // signals meanwhile, so this handler never runs on it.
      while (slot.state.load() == kCreating) pause_briefly();
      int used = kUsed;
      if (slot.state.compare_exchange_strong(used, kRemoving)) unlinkat(slot.dirfd, slot.name, 0);
    }
  }
  // A set being renamed into place takes microseconds: let it finish whole.
  while (g_commits.load() > 0) pause_briefly();
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  sigaction(sig, &dfl, nullptr);
  raise(sig);
}

void hold_signals(sigset_t* old) {
  sigset_t block;
  sigemptyset(&block);
  for (int sig : kSignals) sigaddset(&block, sig);
  pthread_sigmask(SIG_BLOCK, &block, old);
}

// Claims a free slot for a temporary being created, adding a block when
// every slot is taken.
Slot* claim() {
  for (Block* block = &g_first;;) {
    for (Slot& slot : block->slots) {
      int free = kFree;
      if (slot.state.load(std::memory_order_relaxed) == kFree &&
          slot.state.compare_exchange_strong(free, kCreating))
        return &slot;
    }
    Block* next = block->next.load();
    if (next == nullptr) {
      Block* fresh = new Block;
      if (block->next.compare_exchange_strong(next, fresh))
        next = fresh;
      else
        delete fresh;  // another thread added one: use that
    }
    block = next;
  }
}

}  // namespace

void install_signal_handlers() {
  struct sigaction sa = {};
  sa.sa_handler = on_signal;
  sigemptyset(&sa.sa_mask);
  for (int sig : kSignals) sigaddset(&sa.sa_mask, sig);
  for (int sig : kSignals) {
    struct sigaction old = {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(sig, &sa, nullptr);
  }
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, nullptr);
  sigaction(SIGXFSZ, &ignore, nullptr);
}

int create(int dirfd, const char* name, int flags, Slot** slot) {
  *slot = nullptr;
  if (std::strlen(name) > static_cast<std::size_t>(kMaxName)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  sigset_t old;
  hold_signals(&old);
  Slot* claimed = claim();
  claimed->dirfd = dirfd;
  std::strcpy(claimed->name, name);
  int fd = -1;
  int error = EINTR;
  // Checked after the claim: a handler that began before it sees the slot
  // and waits; one that begins after it finds the program dying here.
  if (!g_dying.load()) {
    fd = ::openat(dirfd, name, O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | flags, 0666);
    error = errno;
  }
  claimed->state.store(fd >= 0 ? kUsed : kFree);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (fd < 0) {
    errno = error;
    return -1;
  }
  *slot = claimed;
  return fd;
}

void forget(Slot* slot) {
  if (slot != nullptr) slot->state.store(kFree);
}

bool begin_commit(Slot* const* slots, int count) {
  hold_signals(&g_held);
  g_commits.fetch_add(1);
  bool claimed = !g_dying.load();
  int taken = 0;
  for (; claimed && taken < count; ++taken) {
    int used = kUsed;
    if (!slots[taken]->state.compare_exchange_strong(used, kCommitting)) claimed = false;
  }
  if (!claimed) {
    // Give back what was claimed: the handler, or the caller, removes them.
    for (int i = 0; i + 1 < taken; ++i) slots[i]->state.store(kUsed);
    end_commit();
  }
  return claimed;
}

void end_commit() {
  g_commits.fetch_sub(1);
  pthread_sigmask(SIG_SETMASK, &g_held, nullptr);
}

}  // namespace xas::temporaries
