#include "results/temporaries.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace xas::temporaries {

namespace {

enum State : int { kFree, kUsed, kCommitting, kRemoving };

struct Slot {
  std::atomic<int> state{kFree};
  int dirfd = -1;
  char name[kMaxName + 1] = {};
};

// Enough for eight files of each of many reductions at once.
constexpr int kSlots = 2048;
Slot g_slots[kSlots];
std::atomic<int> g_commits{0};
std::atomic<bool> g_dying{false};
thread_local sigset_t g_held;

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe calls: atomics, unlinkat, nanosleep, sigaction, raise.
void on_signal(int sig) {
  g_dying.store(true);
  for (Slot& slot : g_slots) {
    int used = kUsed;
    if (slot.state.compare_exchange_strong(used, kRemoving)) unlinkat(slot.dirfd, slot.name, 0);
  }
  // A set being renamed into place takes microseconds: let it finish whole.
  const struct timespec pause = {0, 100000};
  while (g_commits.load() > 0) nanosleep(&pause, nullptr);
  struct sigaction dfl = {};
  dfl.sa_handler = SIG_DFL;
  sigaction(sig, &dfl, nullptr);
  raise(sig);
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
}

int add(int dirfd, const char* name) {
  if (std::strlen(name) > static_cast<std::size_t>(kMaxName)) return -1;
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = g_slots[i];
    int free = kFree;
    // Claimed first so that no other thread takes it; filled, then published.
    if (!slot.state.compare_exchange_strong(free, kRemoving)) continue;
    slot.dirfd = dirfd;
    std::strcpy(slot.name, name);
    slot.state.store(kUsed);
    return i;
  }
  return -1;
}

void forget(int slot) {
  if (slot >= 0 && slot < kSlots) g_slots[slot].state.store(kFree);
}

bool begin_commit(const int* slots, int count) {
  sigset_t block;
  sigemptyset(&block);
  for (int sig : kSignals) sigaddset(&block, sig);
  pthread_sigmask(SIG_BLOCK, &block, &g_held);
  g_commits.fetch_add(1);
  bool claimed = !g_dying.load();
  int taken = 0;
  for (; claimed && taken < count; ++taken) {
    int used = kUsed;
    if (!g_slots[slots[taken]].state.compare_exchange_strong(used, kCommitting)) claimed = false;
  }
  if (!claimed) {
    // Give back what was claimed: the handler, or the caller, removes them.
    for (int i = 0; i + 1 < taken; ++i) g_slots[slots[i]].state.store(kUsed);
    end_commit();
  }
  return claimed;
}

void end_commit() {
  g_commits.fetch_sub(1);
  pthread_sigmask(SIG_SETMASK, &g_held, nullptr);
}

}  // namespace xas::temporaries
