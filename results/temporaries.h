// The hidden temporary files of the result sets being written, known to the
// signal handlers: SIGINT, SIGTERM and SIGHUP remove every one of them before
// the program ends by the signal, so that an interrupted run leaves the
// earlier results as they were. A set being renamed into place is finished
// first. SIGPIPE and SIGXFSZ are ignored: a closed pipe and a file grown past
// the size limit are failed writes like any other.
//
// There is no fixed number of temporaries: they are kept in blocks that are
// added as needed and never freed, which a signal handler can walk.
#pragma once

namespace xas::temporaries {

// Installs the handlers; once, before the first temporary is made.
void install_signal_handlers();

// A registered temporary.
struct Slot;

// The longest name a temporary may have.
inline constexpr int kMaxName = 63;

// Creates the temporary `name` in the directory open as `dirfd`, new
// (O_CREAT | O_EXCL | O_NOFOLLOW and `flags`, mode 0666 less the umask),
// registered before it exists so that no moment leaves it behind. Once a
// handler has begun removing temporaries no new one is made: -1 with errno
// EINTR. Returns the descriptor, or -1 with errno set; *slot receives the
// registration (null on failure).
int create(int dirfd, const char* name, int flags, Slot** slot);

// The temporary is gone (renamed into place or removed): forgets it.
void forget(Slot* slot);

// Around the renames of one set: while a commit is under way no handler
// removes its temporaries, and a handler that runs meanwhile waits for it.
// begin_commit() claims the slots and fails when a handler has already
// begun removing them (the set is then removed, not committed). The calling
// thread's signals are held until end_commit().
bool begin_commit(Slot* const* slots, int count);
void end_commit();

}  // namespace xas::temporaries
