// The hidden temporary files of the result sets being written, known to the
// signal handlers: SIGINT, SIGTERM and SIGHUP remove every one of them before
// the program ends by the signal, so that an interrupted run leaves the
// earlier results as they were. A set being renamed into place is finished
// first. SIGPIPE is ignored: a closed pipe is a failed write like any other.
#pragma once

namespace xas::temporaries {

// Installs the handlers; once, before the first temporary is made.
void install_signal_handlers();

// A temporary `name` (at most kMaxName characters) in the directory open as
// `dirfd`, registered before it is created. Returns its slot, or -1 when
// every slot is taken.
inline constexpr int kMaxName = 63;
int add(int dirfd, const char* name);
// The temporary is gone (renamed into place or removed): forgets it.
void forget(int slot);

// Around the renames of one set: while a commit is under way no handler
// removes its temporaries, and a handler that runs meanwhile waits for it.
// begin_commit() claims the slots and fails when a handler has already
// begun removing them (the set is then removed, not committed). The calling
// thread's signals are held until end_commit().
bool begin_commit(const int* slots, int count);
void end_commit();

}  // namespace xas::temporaries
