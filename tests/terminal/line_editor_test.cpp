// The line editor at a real terminal: a helper that reads lines with it runs
// on a pseudo-terminal, and the test types keys as a user would, waiting each
// time until the editor has taken the terminal over, so that the keys reach
// the editor and not the terminal's own line editing.
#include "terminal/line_editor.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace xas {
namespace {

using test::ScratchDir;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(10);
constexpr tcflag_t kModes = ICANON | ECHO | ISIG;

// A program (line_echo unless named) on a pseudo-terminal, its standard
// output on the terminal or on a pipe.
class Terminal {
 public:
  Terminal(const std::string& dir, bool screen_to_pipe, const char* program = XAS_LINE_ECHO) {
    struct winsize size = {};
    size.ws_row = 24;
    size.ws_col = 80;
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0)
      throw std::runtime_error("openpty");
    int pipe_fds[2] = {-1, -1};
    if (screen_to_pipe && pipe(pipe_fds) != 0) throw std::runtime_error("pipe");
    tcgetattr(slave_, &before_);
    child_ = fork();
    if (child_ < 0) throw std::runtime_error("fork");
    if (child_ == 0) {
      ::close(master_);
      if (login_tty(slave_) != 0) _exit(126);
      if (screen_to_pipe) dup2(pipe_fds[1], 1);
      if (chdir(dir.c_str()) != 0) _exit(126);
      // A known terminal, no settings of the user's, and no locale: the
      // editor must still keep the bytes of a UTF-8 name.
      setenv("TERM", "vt100", 1);
      setenv("HOME", dir.c_str(), 1);
      setenv("LANG", "C", 1);
      unsetenv("LC_ALL");
      unsetenv("LC_CTYPE");
      unsetenv("EDITRC");
      execl(program, program, static_cast<char*>(nullptr));
      _exit(127);
    }
    if (screen_to_pipe) {
      ::close(pipe_fds[1]);
      screen_ = pipe_fds[0];
    }
  }
  ~Terminal() {
    if (child_ > 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
    ::close(master_);
    ::close(slave_);
    if (screen_ >= 0) ::close(screen_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Waits until the editor reads: the terminal is out of its line mode.
  bool editing() {
    for (auto end = Clock::now() + kPatience; Clock::now() < end;) {
      if (!(modes().c_lflag & ICANON)) return true;
      drain(5);
    }
    return false;
  }
  void type(std::string_view keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  // Reads the program's output until `text` appears after what earlier
  // calls found.
  bool shows(const std::string& text) {
    std::string& out = screen_ >= 0 ? piped_ : echoed_;
    for (auto end = Clock::now() + kPatience;;) {
      std::size_t at = out.find(text, found_);
      if (at != std::string::npos) {
        found_ = at + text.size();
        return true;
      }
      if (Clock::now() >= end) return false;
      drain(50);
    }
  }
  // The wait status, or -1 if the program does not end in time.
  int exit_status() {
    for (auto end = Clock::now() + kPatience; Clock::now() < end;) {
      int status = 0;
      if (waitpid(child_, &status, WNOHANG) == child_) {
        child_ = -1;
        drain(50);  // its last output
        return status;
      }
      drain(5);
    }
    return -1;
  }
  struct termios modes() const {
    struct termios now = {};
    tcgetattr(slave_, &now);
    return now;
  }
  const struct termios& before() const { return before_; }
  const std::string& piped() const { return piped_; }
  const std::string& echoed() const { return echoed_; }
  // What the terminal showed after the last text found.
  std::string rest() const { return echoed_.substr(std::min(found_, echoed_.size())); }

 private:
  // Collects what the terminal and the pipe hold, waiting up to `ms` for it.
  void drain(int ms) {
    struct pollfd fds[2] = {{master_, POLLIN, 0}, {screen_, POLLIN, 0}};
    if (poll(fds, screen_ >= 0 ? 2 : 1, ms) <= 0) return;
    char buf[4096];
    if (fds[0].revents & POLLIN)
      if (ssize_t n = read(master_, buf, sizeof buf); n > 0) echoed_.append(buf, n);
    if (screen_ >= 0 && (fds[1].revents & POLLIN))
      if (ssize_t n = read(screen_, buf, sizeof buf); n > 0) piped_.append(buf, n);
  }

  int master_ = -1, slave_ = -1, screen_ = -1;
  pid_t child_ = -1;
  struct termios before_ = {};
  std::string echoed_, piped_;
  std::size_t found_ = 0;
};

class LineEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!LineEditor::available()) GTEST_SKIP() << "built without libedit: no line editing";
    dir_.write("cu_foil.dat", "");
    dir_.write("cu_edge.dat", "");
    ASSERT_EQ(mkdir(dir_.file("runs").c_str(), 0755), 0);
    dir_.write("runs/ni_k.dat", "");
  }
  ScratchDir dir_;
};

// Run with the screen on the terminal and redirected to a pipe.
class LineEditorScreenTest : public LineEditorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LineEditorScreenTest, EditsCompletesAndRecallsLines) {
  struct Step {
    const char* keys;
    const char* line;  // as the program receives it
  };
  const Step steps[] = {
      {"cu_fo\t\r", "cu_foil.dat"},    // a single match is completed
      {"2x\x7f\r", "2"},               // Backspace
      {"\x10\r", "2"},                 // Ctrl-P: the previous answer again
      {"cu\tf\t\r", "cu_foil.dat"},    // two matches: their common part first
      {"ru\tn\t\r", "runs/ni_k.dat"},  // a directory gets its "/"
      {"zz\t\r", "zz"},                // no match: nothing added
      {"b\x01" "a\r", "ab"},           // Ctrl-A: to the start of the line
      {"ab\x01\x04\r", "b"},           // Ctrl-D within a line deletes
      {"\xc3\xa9.dat\r", "\xc3\xa9.dat"},
  };
  const bool screen_to_pipe = GetParam();
  Terminal term(dir_.path(), screen_to_pipe);
  std::string expected_screen;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.line);
    ASSERT_TRUE(term.editing());
    term.type(step.keys);
    std::string shown = std::string("[") + step.line + "]" + (screen_to_pipe ? "\n" : "\r\n");
    ASSERT_TRUE(term.shows(shown)) << "the terminal showed "
                                   << testing::PrintToString(term.echoed());
    expected_screen += shown;
  }
  ASSERT_TRUE(term.editing());
  term.type("\x04");  // Ctrl-D on an empty line: the end of input
  int status = term.exit_status();
  ASSERT_NE(status, -1) << "the program did not end";
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  // A redirected screen holds the program's output and none of the editing.
  if (screen_to_pipe) {
    EXPECT_EQ(term.piped(), expected_screen);
  } else {
    EXPECT_EQ(term.rest(), "");  // no "^D" at the end
  }
  EXPECT_EQ(term.modes().c_lflag & kModes, term.before().c_lflag & kModes);
}

INSTANTIATE_TEST_SUITE_P(Screen, LineEditorScreenTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "piped" : "terminal"; });

TEST_F(LineEditorTest, CtrlCEndsTheProgramAndRestoresTheTerminal) {
  Terminal term(dir_.path(), false);
  ASSERT_TRUE(term.editing());
  ASSERT_NE(term.modes().c_lflag & kModes, term.before().c_lflag & kModes);
  term.type("cu\x03");
  int status = term.exit_status();
  ASSERT_NE(status, -1) << "the program did not end";
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  EXPECT_EQ(term.modes().c_lflag, term.before().c_lflag);
  EXPECT_EQ(term.modes().c_iflag, term.before().c_iflag);
  EXPECT_EQ(term.modes().c_oflag, term.before().c_oflag);
}

// The dialogue itself at a terminal: the file name is completed with Tab, and
// the screen, redirected, is byte for byte the screen of piped answers.
TEST_F(LineEditorTest, TheDialogueReadsEditedAnswers) {
  ScratchDir typed, piped;
  const std::string copper = test::read_file(test::example("cu_foil.dat"));
  typed.write("cu_foil.dat", copper);
  piped.write("cu_foil.dat", copper);
  Terminal term(typed.path(), true, XAS_BINARY);
  for (const char* keys : {"cu_fo\t\r", "2\r", "0\r"}) {
    ASSERT_TRUE(term.editing()) << keys;
    term.type(keys);
  }
  const int status = term.exit_status();
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const test::ProgramResult r = test::run_program(piped.path(), "cu_foil.dat\n2\n0\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(term.piped(), r.out);
  EXPECT_EQ(typed.read("cu_foil.gabs"), piped.read("cu_foil.gabs"));
}

}  // namespace
}  // namespace xas
