// The result set of a run, run end to end under the faults that used to damage
// it: a kill at any moment, a link or a special file at a result name, a full
// disk, a process that cannot start threads, standard output closed or
// failing, and two runs that commit the same names at once. A set is replaced
// whole or not at all, and no temporary file outlives a run that could clean
// up after itself.
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/expected_text.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas::test {
namespace {

using Clock = std::chrono::steady_clock;

// Every wait ends here: a run that blocks fails its test instead of hanging it.
constexpr auto kTimeout = std::chrono::seconds(10);

// ---------------------------------------------------------------------------
// Starting the program with altered streams and limits.

// Makes thread creation fail in this process and in what it executes, as a
// process limit does: clone3 is "not implemented", so that the C library falls
// back to clone, and clone with CLONE_THREAD fails with EAGAIN. Everything
// else, fork included, is allowed. False where the filter cannot be built or
// installed.
bool forbid_threads() {
#if defined(__x86_64__)
  constexpr unsigned arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
  constexpr unsigned arch = AUDIT_ARCH_AARCH64;
#else
  return false;
#endif
#if defined(__x86_64__) || defined(__aarch64__)
  sock_filter code[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone3, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_clone, 0, 3),
      // The flags are clone's first argument; their low half comes first on
      // both little-endian machines.
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])),
      BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_THREAD, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EAGAIN),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(code)), code};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
#endif
}

// How the program is started: in `cwd`, with `input` on standard input and the
// error stream kept; standard output kept too unless another is chosen.
struct Launch {
  std::string cwd;
  std::string input;
  bool close_stdout = false;
  std::string stdout_path;  // a file to write standard output to
  int stdout_fd = -1;       // a descriptor to use as standard output
  rlim_t max_file_size = RLIM_INFINITY;  // SIGXFSZ is ignored: longer writes fail
  bool no_threads = false;               // thread creation fails (forbid_threads)
};

Launch in(const ScratchDir& dir, const std::string& data_file) {
  Launch launch;
  launch.cwd = dir.path();
  launch.input = answers(data_file);
  return launch;
}

struct Outcome {
  bool timed_out = false;  // killed after kTimeout
  int status = -1;         // exit status; -1 if ended by a signal
  int signal = 0;
  std::string out, err;
};

std::string describe(const Outcome& o) {
  std::string text = o.timed_out ? "still running after the timeout"
                     : o.signal  ? "ended by signal " + std::to_string(o.signal)
                                 : "exit status " + std::to_string(o.status);
  return text + "; error stream: " + o.err;
}

// Waits for `pid` until `timeout`; then kills and reaps it. False on timeout.
bool wait_for(pid_t pid, Clock::duration timeout, int* wstatus) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    const pid_t r = ::waitpid(pid, wstatus, WNOHANG);
    if (r == pid) return true;
    if (r < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
    if (Clock::now() >= deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, wstatus, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// One run of the program in a child process; killed if still running when
// the object goes.
class Child {
 public:
  explicit Child(const Launch& launch) {
    io_.write("stdin", launch.input);
    pid_ = ::fork();
    if (pid_ < 0) throw std::system_error(errno, std::generic_category(), "fork");
    if (pid_ == 0) exec_program(launch);
  }
  ~Child() {
    if (!reaped_) {
      int ws = 0;
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &ws, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void signal(int sig) const { ::kill(pid_, sig); }

  Outcome wait() {
    int ws = 0;
    Outcome o;
    o.timed_out = !wait_for(pid_, kTimeout, &ws);
    reaped_ = true;
    if (WIFEXITED(ws)) o.status = WEXITSTATUS(ws);
    if (WIFSIGNALED(ws)) o.signal = WTERMSIG(ws);
    o.out = io_.read("stdout");
    o.err = io_.read("stderr");
    return o;
  }

 private:
  // In the child: the streams, limits and signals of a plain start, then the
  // program. A failure to set them up exits with 120 and up.
  [[noreturn]] void exec_program(const Launch& launch) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ}) ::signal(sig, SIG_DFL);
    const int in = ::open(io_.file("stdin").c_str(), O_RDONLY);
    const int err = ::open(io_.file("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(err, 2) < 0) _exit(120);
    if (launch.close_stdout) {
      ::close(1);
    } else if (launch.stdout_fd >= 0) {
      if (::dup2(launch.stdout_fd, 1) < 0) _exit(121);
    } else {
      const std::string path = launch.stdout_path.empty() ? io_.file("stdout") : launch.stdout_path;
      const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || ::dup2(out, 1) < 0) _exit(122);
      if (out > 2) ::close(out);
    }
    if (in > 2) ::close(in);
    if (err > 2) ::close(err);
    if (launch.max_file_size != RLIM_INFINITY) {
      const rlimit limit{launch.max_file_size, launch.max_file_size};
      ::signal(SIGXFSZ, SIG_IGN);
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(123);
    }
    if (::chdir(launch.cwd.c_str()) != 0) _exit(124);
    if (launch.no_threads && !forbid_threads()) _exit(125);
    ::execl(XAS_BINARY, XAS_BINARY, static_cast<char*>(nullptr));
    _exit(126);
  }

  ScratchDir io_;
  pid_t pid_ = -1;
  bool reaped_ = false;
};

Outcome run(const Launch& launch) { return Child(launch).wait(); }

// ---------------------------------------------------------------------------
// Result sets and directories.

// The result names of `base` that exist, with the contents of each regular
// file; anything else (a link, a FIFO that would block the reading) is
// marked as such.
using ResultSet = std::map<std::string, std::string>;

ResultSet result_set(const ScratchDir& dir, const std::string& base) {
  ResultSet set;
  for (const char* ext : kResultExtensions) {
    struct stat st;
    const std::string name = base + ext;
    if (::lstat(dir.file(name).c_str(), &st) != 0) continue;
    set[name] = S_ISREG(st.st_mode) ? dir.read(name) : "(not a regular file)";
  }
  return set;
}

// "" when `got` is `want`, else each file that differs, where and how.
std::string differences(const ResultSet& got, const ResultSet& want) {
  std::string text;
  std::set<std::string> names;
  for (const auto& [name, _] : got) names.insert(name);
  for (const auto& [name, _] : want) names.insert(name);
  for (const std::string& name : names) {
    const auto g = got.find(name), w = want.find(name);
    if (g == got.end()) {
      text += name + ": missing\n";
    } else if (w == want.end()) {
      text += name + ": not expected\n";
    } else if (g->second != w->second) {
      const std::string& a = g->second;
      const std::string& b = w->second;
      const std::size_t at = std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()),
                                           b.begin()).first - a.begin();
      text += name + ": " + std::to_string(a.size()) + " bytes, expected " +
              std::to_string(b.size()) + "; from byte " + std::to_string(at) + " '" +
              a.substr(at, 24) + "' instead of '" + b.substr(at, 24) + "'\n";
    }
  }
  return text;
}

// The names in a directory that start with "." (hidden) or do not.
std::set<std::string> names_in(const ScratchDir& dir, bool hidden) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if ((name[0] == '.') == hidden) names.insert(name);
  }
  return names;
}

std::set<std::string> names_of(const ResultSet& set, const std::string& data_file) {
  std::set<std::string> names{data_file};
  for (const auto& [name, _] : set) names.insert(name);
  return names;
}

std::string joined(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += " " + name;
  return text;
}

void place(const ScratchDir& dir, const std::string& name, const char* spectrum) {
  std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
  dir.write(name, read_file(example(spectrum)));
}

// Runs `spectrum` as `data_file` in `dir` and returns the complete set it
// leaves under `base`, and its screen.
ResultSet reduced(const ScratchDir& dir, const std::string& data_file, const std::string& base,
                  const char* spectrum, std::string* screen = nullptr) {
  place(dir, data_file, spectrum);
  const Outcome o = run(in(dir, data_file));
  if (o.status != 0) throw std::runtime_error(std::string(spectrum) + ": " + describe(o));
  if (screen != nullptr) *screen = o.out;
  ResultSet set = result_set(dir, base);
  if (set.size() != std::size(kResultExtensions))
    throw std::runtime_error(std::string(spectrum) + " left an incomplete set");
  return set;
}

// An earlier set of `spectrum` under base name "x", with x.dat then replaced
// by the copper spectrum, the data of the next run.
ResultSet earlier_set_then_copper(const ScratchDir& dir, const char* spectrum) {
  ResultSet earlier = reduced(dir, "x.dat", "x", spectrum);
  place(dir, "x.dat", "cu_foil.dat");
  return earlier;
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

// ---------------------------------------------------------------------------
// A kill at any moment.

// An earlier set of the copper spectrum under base name "ni", then the
// 15000-point run over it, signalled after a random delay within its length.
// Half the delays are spread over the whole run and past its end, half over
// its last 30 per cent, where the files are renamed into place.
TEST(ResultSet, KillAtAnyMomentLeavesTheEarlierSetOrTheWholeNewOne) {
  ScratchDir fresh_dir;
  place(fresh_dir, "ni.dat", "ni_synth_15000.dat");
  std::vector<double> seconds;
  for (int i = 0; i < 3; ++i) {
    const auto start = Clock::now();
    const Outcome o = run(in(fresh_dir, "ni.dat"));
    seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    ASSERT_EQ(o.status, 0) << describe(o);
  }
  std::sort(seconds.begin(), seconds.end());
  const double length = seconds[1];
  const ResultSet fresh = result_set(fresh_dir, "ni");

  ScratchDir dir;
  const ResultSet earlier = reduced(dir, "ni.dat", "ni", "cu_foil.dat");
  place(dir, "ni.dat", "ni_synth_15000.dat");
  ASSERT_EQ(fresh.size(), earlier.size());
  for (const auto& [name, text] : earlier) ASSERT_NE(text, fresh.at(name)) << name;
  const std::set<std::string> visible = names_of(earlier, "ni.dat");

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed) + ", a run takes " + std::to_string(length) + " s");
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> anywhere(0.0, 1.1), near_end(0.7, 1.0);
  const int signals[] = {SIGKILL, SIGINT, SIGTERM, SIGHUP};
  std::map<int, std::pair<int, int>> ends;  // signal: (earlier sets, new sets)
  for (int attempt = 0; attempt < 40; ++attempt) {
    const int sig = signals[attempt % 4];
    const double delay = length * (attempt < 20 ? anywhere(random) : near_end(random));
    SCOPED_TRACE("attempt " + std::to_string(attempt) + ": " + strsignal(sig) + " after " +
                 std::to_string(delay) + " s");
    for (const auto& [name, text] : earlier) {
      std::filesystem::remove(dir.file(name));
      dir.write(name, text);
    }
    Child child(in(dir, "ni.dat"));
    std::this_thread::sleep_for(std::chrono::duration<double>(delay));
    child.signal(sig);
    const Outcome o = child.wait();
    ASSERT_FALSE(o.timed_out);

    // Killed among its renames, a run leaves its journal; the next commit
    // into the directory (here a copper run under another name) finishes
    // them before anyone reads the set.
    bool finished = false;
    if (sig == SIGKILL && std::filesystem::exists(dir.file(".xasreduce-commit"))) {
      place(dir, "cu.dat", "cu_foil.dat");
      ASSERT_EQ(run(in(dir, "cu.dat")).status, 0);
      for (const auto& [name, text] : result_set(dir, "cu")) std::filesystem::remove(dir.file(name));
      std::filesystem::remove(dir.file("cu.dat"));
      finished = true;
    }
    const ResultSet now = result_set(dir, "ni");
    if (finished) {
      EXPECT_EQ(now, fresh) << "an interrupted commit is finished whole";
    }
    if (now == earlier) {
      ++ends[sig].first;
    } else if (now == fresh) {
      ++ends[sig].second;
    } else {
      std::string files;
      for (const auto& [name, text] : earlier) {
        const auto found = now.find(name);
        files += "\n" + name + ": " +
                 (found == now.end()               ? "missing"
                  : found->second == text          ? "earlier"
                  : found->second == fresh.at(name) ? "new"
                                                    : std::to_string(found->second.size()) +
                                                          " bytes of neither");
      }
      ADD_FAILURE() << describe(o) << "\nneither set:" << files;
    }
    EXPECT_EQ(joined(names_in(dir, false)), joined(visible));
    const std::set<std::string> hidden = names_in(dir, true);
    if (sig == SIGKILL) {
      for (const std::string& name : hidden) {
        EXPECT_TRUE(starts_with(name, ".xasreduce-")) << name;
        std::filesystem::remove_all(dir.file(name));
      }
    } else {
      EXPECT_EQ(joined(hidden), "") << "temporaries left after " << strsignal(sig);
    }
  }
  for (const auto& [sig, counts] : ends)
    std::cout << "[          ] " << strsignal(sig) << ": " << counts.first << " earlier set(s), "
              << counts.second << " new set(s)\n";
}

// ---------------------------------------------------------------------------
// Links and special files at a result name.

// A link at "cu.gfou" is replaced by a new file: whatever it leads to keeps
// its contents, a dangling link makes nothing at its target, and the screen
// warns of the overwrite as for any earlier file.
TEST(ResultSet, LinkAtAResultNameIsReplacedNotFollowed) {
  ScratchDir reference;
  std::string first_screen;
  const ResultSet expected = reduced(reference, "cu.dat", "cu", "cu_foil.dat", &first_screen);
  // The first run's screen, with the warning for the Fourier file alone.
  const std::size_t fourier = first_screen.find("  >>> opening gnuplot file for Fourier transform: ");
  const std::string created = " ... creating new file ...";
  const std::size_t notice = first_screen.find(created, fourier);
  ASSERT_NE(notice, std::string::npos) << first_screen;
  const std::string expected_screen = first_screen.substr(0, notice) +
                                      " ... warning! overwriting previous version ..." +
                                      first_screen.substr(notice + created.size());

  struct Case {
    const char* what;
    int (*plant)(const char* target, const char* link);
    const char* target;
  };
  const Case cases[] = {
      {"symbolic link to a file outside", ::symlink, "victim"},
      {"dangling symbolic link", ::symlink, "absent"},
      {"hard link to a file outside", ::link, "victim"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir, outside;
    outside.write("victim", "kept\n");
    place(dir, "cu.dat", "cu_foil.dat");
    ASSERT_EQ(c.plant(outside.file(c.target).c_str(), dir.file("cu.gfou").c_str()), 0);
    const Outcome o = run(in(dir, "cu.dat"));
    EXPECT_EQ(o.status, 0) << describe(o);
    EXPECT_EQ(o.out, expected_screen);
    EXPECT_EQ(differences(result_set(dir, "cu"), expected), "");
    EXPECT_TRUE(outside.read("victim") == "kept\n") << "the link's target was written";
    EXPECT_FALSE(outside.exists("absent"));
    struct stat st;
    ASSERT_EQ(::lstat(dir.file("cu.gfou").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_nlink, 1u);
    EXPECT_EQ(joined(names_in(dir, true)), "");
  }
}

// A directory, a FIFO or a device at a later result name: the run is refused
// before a file is written or replaced, and does not block on the FIFO.
TEST(ResultSet, ResultNameTakenByANonRegularFileIsRefusedBeforeAnyChange) {
  struct Case {
    const char* name;
    mode_t type;
  };
  const Case cases[] = {{"x.gexa", S_IFDIR}, {"x.topf", S_IFIFO}, {"x.gfou", S_IFCHR}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    ResultSet earlier = earlier_set_then_copper(dir, "ge.dat");
    std::filesystem::remove(dir.file(c.name));
    earlier.erase(c.name);
    const std::string path = dir.file(c.name);
    const int made = c.type == S_IFDIR    ? ::mkdir(path.c_str(), 0755)
                     : c.type == S_IFIFO ? ::mkfifo(path.c_str(), 0644)
                                          : ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3));
    if (made != 0 && c.type == S_IFCHR && errno == EPERM) {
      std::cout << "[          ] no device case: this user cannot make device files\n";
      continue;
    }
    ASSERT_EQ(made, 0) << std::strerror(errno);

    const Outcome o = run(in(dir, "x.dat"));
    EXPECT_EQ(o.status, 2) << describe(o);
    EXPECT_TRUE(starts_with(o.err, "xasreduce: the result name '" + std::string(c.name) +
                                       "' is taken by a "))
        << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    ResultSet now = result_set(dir, "x");
    now.erase(c.name);
    EXPECT_EQ(differences(now, earlier), "");
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IFMT, c.type);
    std::set<std::string> visible = names_of(earlier, "x.dat");
    visible.insert(c.name);
    EXPECT_EQ(joined(names_in(dir, false)), joined(visible));
    EXPECT_EQ(joined(names_in(dir, true)), "");
  }
}

// ---------------------------------------------------------------------------
// Failures during the run.

// A result file that cannot be written whole (the file size limit stands for
// a full disk: the copper foil's absorption file is about 180 KB), standard
// output on a full device and standard output a pipe nobody reads: the run
// fails, and the earlier set of the germanium spectrum stays as it was.
TEST(ResultSet, FailureDuringTheRunLeavesTheEarlierSet) {
  enum Fault { kFullDisk, kFullStdout, kClosedPipe };
  struct Case {
    const char* what;
    Fault fault;
    const char* message;
  };
  const Case cases[] = {
      {"full disk", kFullDisk, "xasreduce: cannot write '"},
      {"standard output on /dev/full", kFullStdout, "xasreduce: cannot write to standard output:"},
      {"standard output a pipe without reader", kClosedPipe,
       "xasreduce: cannot write to standard output:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const ResultSet earlier = earlier_set_then_copper(dir, "ge.dat");
    Launch launch = in(dir, "x.dat");
    int pipe_fds[2] = {-1, -1};
    if (c.fault == kFullDisk) launch.max_file_size = 64 * 1024;
    if (c.fault == kFullStdout) launch.stdout_path = "/dev/full";
    if (c.fault == kClosedPipe) {
      ASSERT_EQ(::pipe2(pipe_fds, O_CLOEXEC), 0);
      ::close(pipe_fds[0]);  // before the start: the first write finds no reader
      launch.stdout_fd = pipe_fds[1];
    }
    const Outcome o = run(launch);
    if (pipe_fds[1] >= 0) ::close(pipe_fds[1]);
    EXPECT_EQ(o.status, 2) << describe(o);
    EXPECT_TRUE(starts_with(o.err, c.message)) << o.err;
    EXPECT_EQ(differences(result_set(dir, "x"), earlier), "");
    EXPECT_EQ(joined(names_in(dir, false)), joined(names_of(earlier, "x.dat")));
    EXPECT_EQ(joined(names_in(dir, true)), "");
  }
}

// With standard output closed at the start, no result file may take its
// descriptor: the run writes the same files as with a screen.
TEST(ResultSet, ClosedStandardOutputLeavesTheResultFilesClean) {
  ScratchDir reference, dir;
  const ResultSet expected = reduced(reference, "cu.dat", "cu", "cu_foil.dat");
  place(dir, "cu.dat", "cu_foil.dat");
  Launch launch = in(dir, "cu.dat");
  launch.close_stdout = true;
  const Outcome o = run(launch);
  EXPECT_EQ(o.status, 0) << describe(o);
  EXPECT_EQ(differences(result_set(dir, "cu"), expected), "");
  EXPECT_EQ(joined(names_in(dir, true)), "");
}

// A process that may not start threads (a limit, as batch systems set) runs
// the transform on one thread and gives the same bytes. The filter is checked
// first: under it std::thread fails with EAGAIN.
TEST(ResultSet, ThreadLimitGivesTheSameResults) {
  const pid_t probe = ::fork();
  ASSERT_GE(probe, 0);
  if (probe == 0) {
    if (!forbid_threads()) _exit(3);
    try {
      std::thread([] {}).join();
      _exit(1);
    } catch (const std::system_error& e) {
      _exit(e.code().value() == EAGAIN ? 0 : 2);
    }
  }
  int ws = 0;
  ASSERT_TRUE(wait_for(probe, kTimeout, &ws));
  ASSERT_TRUE(WIFEXITED(ws));
  if (WEXITSTATUS(ws) == 3) GTEST_SKIP() << "no thread filter on this machine";
  ASSERT_EQ(WEXITSTATUS(ws), 0) << "1: a thread started under the filter; 2: another error";
  if (std::thread::hardware_concurrency() < 2)
    std::cout << "[          ] one core: the program starts no thread to refuse\n";

  ScratchDir reference, dir;
  std::string screen;
  const ResultSet expected = reduced(reference, "ni.dat", "ni", "ni_synth_15000.dat", &screen);
  place(dir, "ni.dat", "ni_synth_15000.dat");
  Launch launch = in(dir, "ni.dat");
  launch.no_threads = true;
  const Outcome o = run(launch);
  EXPECT_EQ(o.status, 0) << describe(o);
  EXPECT_EQ(o.out, screen);
  EXPECT_EQ(differences(result_set(dir, "ni"), expected), "");
}

// Two runs of different spectra under one base name, started together in one
// directory: the set they leave is wholly one run's.
TEST(ResultSet, TwoRunsAtOnceLeaveOneRunsSet) {
  ScratchDir reference_a, reference_b, dir;
  const ResultSet a = reduced(reference_a, "a/x.dat", "x", "cu_foil.dat");
  const ResultSet b = reduced(reference_b, "b/x.dat", "x", "ge.dat");
  place(dir, "a/x.dat", "cu_foil.dat");
  place(dir, "b/x.dat", "ge.dat");
  int wins_a = 0, wins_b = 0;
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const bool a_first = round % 2 == 0;
    Child first(in(dir, a_first ? "a/x.dat" : "b/x.dat"));
    Child second(in(dir, a_first ? "b/x.dat" : "a/x.dat"));
    const Outcome o1 = first.wait(), o2 = second.wait();
    EXPECT_EQ(o1.status, 0) << describe(o1);
    EXPECT_EQ(o2.status, 0) << describe(o2);
    const ResultSet now = result_set(dir, "x");
    if (now == a) {
      ++wins_a;
    } else if (now == b) {
      ++wins_b;
    } else {
      ADD_FAILURE() << "a mixed set; against the copper run:\n"
                    << differences(now, a) << "against the germanium run:\n"
                    << differences(now, b);
    }
    EXPECT_EQ(joined(names_in(dir, true)), "");
  }
  std::cout << "[          ] the copper set stayed " << wins_a << " times, the germanium set "
            << wins_b << " times\n";
}

}  // namespace
}  // namespace xas::test
