// The line editor on libedit's native interface, which lets the editor draw on
// a terminal of its choosing and bind Tab to the program's own completion.
#include "terminal/line_editor.h"

#include <fcntl.h>
#include <histedit.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "terminal/file_completion.h"

namespace xas {

namespace {

constexpr int kHistorySize = 100;

// The character set the typing is decoded in: the environment's; where that
// is plain ASCII (no locale set, as often in a container or a service), UTF-8,
// so that the non-ASCII letters of a file name are kept rather than dropped.
// Only LC_CTYPE is taken, and only by the reading thread while it edits: the
// program's own locale, and so every printed number, stays as it is.
locale_t typing_locale() {
  locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (loc != static_cast<locale_t>(0) &&
      std::strcmp(nl_langinfo_l(CODESET, loc), "ANSI_X3.4-1968") != 0)
    return loc;
  if (loc != static_cast<locale_t>(0)) freelocale(loc);
  return newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));  // 0: stay in C
}

// Makes `loc` the calling thread's locale for the life of the object.
class LocaleScope {
 public:
  explicit LocaleScope(locale_t loc)
      : old_(loc != static_cast<locale_t>(0) ? uselocale(loc) : static_cast<locale_t>(0)) {}
  ~LocaleScope() {
    if (old_ != static_cast<locale_t>(0)) uselocale(old_);
  }
  LocaleScope(const LocaleScope&) = delete;
  LocaleScope& operator=(const LocaleScope&) = delete;

 private:
  locale_t old_;
};

// The user's own settings for the editor, as every program using the library
// reads them: the file $EDITRC, or else ~/.editrc. A missing file is no error.
void read_user_settings(EditLine* el) {
  std::string path;
  if (const char* file = std::getenv("EDITRC"); file != nullptr && *file != '\0') {
    path = file;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    path = std::string(home) + "/.editrc";
  } else {
    return;
  }
  el_source(el, path.c_str());
}

char* no_prompt(EditLine*) {
  static char empty[] = "";
  return empty;
}

}  // namespace

struct LineEditor::Session {
  EditLine* el = nullptr;
  History* events = nullptr;
  locale_t ctype = static_cast<locale_t>(0);
  std::FILE* screen = nullptr;  // the terminal the editor draws on
  bool own_screen = false;

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    if (el != nullptr) el_end(el);  // leaves the terminal in its ordinary mode
    if (events != nullptr) history_end(events);
    if (own_screen) std::fclose(screen);
    if (ctype != static_cast<locale_t>(0)) freelocale(ctype);
  }

  // The screen is `out` when it is a terminal; otherwise the input's terminal,
  // opened for writing, so that a redirected screen gets none of the echo.
  bool open_screen(std::FILE* in, std::FILE* out) {
    if (isatty(fileno(out))) {
      screen = out;
      return true;
    }
    const char* name = ttyname(fileno(in));
    int fd = name == nullptr ? -1 : ::open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    screen = fdopen(fd, "w");
    if (screen == nullptr) {
      ::close(fd);
      return false;
    }
    own_screen = true;
    return true;
  }

  bool start(std::FILE* in, std::FILE* out) {
    ctype = typing_locale();
    if (!open_screen(in, out)) return false;
    LocaleScope scope(ctype);  // the library takes its character set at its start
    el = el_init_fd("xasreduce", in, screen, stderr, fileno(in), fileno(screen), fileno(stderr));
    events = history_init();
    if (el == nullptr || events == nullptr) return false;
    HistEvent event;
    history(events, &event, H_SETSIZE, kHistorySize);
    history(events, &event, H_SETUNIQUE, 1);
    el_set(el, EL_EDITOR, "emacs");
    el_set(el, EL_HIST, history, events);
    el_set(el, EL_PROMPT, &no_prompt);
    // While a line is typed the library catches the signals that end or stop
    // the program, puts the terminal back, and raises them again.
    el_set(el, EL_SIGNAL, 1);
    el_set(el, EL_CLIENTDATA, this);
    // Named in wide characters: the library keeps these strings as they are,
    // where it would copy narrow ones and never free the copies.
    el_wset(el, EL_ADDFN, L"file-complete", L"Complete the file name before the cursor",
            &Session::complete);
    el_wset(el, EL_BIND, L"^I", L"file-complete", nullptr);
    el_wset(el, EL_ADDFN, L"end-or-delete",
            L"End of input on an empty line, else delete a character", &Session::end_or_delete);
    el_wset(el, EL_BIND, L"^D", L"end-or-delete", nullptr);
    read_user_settings(el);
    return true;
  }

  // Tab: adds what all matching names share, or lists them when that is nothing.
  static unsigned char complete(EditLine* el, int) {
    try {
      void* data = nullptr;
      el_get(el, EL_CLIENTDATA, &data);
      const LineInfo* info = el_line(el);
      FileCompletion found = complete_file_name(
          std::string_view(info->buffer, static_cast<std::size_t>(info->cursor - info->buffer)));
      if (!found.insert.empty())
        return el_insertstr(el, found.insert.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
      if (found.choices.empty()) return CC_ERROR;  // no match: a beep
      static_cast<Session*>(data)->list(found.choices);
      return CC_REDISPLAY;
    } catch (...) {  // nothing may unwind through the library
      return CC_ERROR;
    }
  }

  // Ctrl-D: the end of input on an empty line, without the "^D" the library
  // would echo (the terminal in its ordinary mode shows none either);
  // elsewhere it deletes the character under the cursor.
  static unsigned char end_or_delete(EditLine* el, int) {
    const LineInfo* info = el_line(el);
    if (info->buffer == info->lastchar) return CC_EOF;
    if (info->cursor == info->lastchar) return CC_ERROR;
    el_cursor(el, 1);
    el_deletestr(el, 1);
    return CC_REFRESH;
  }

  // The names below the line being typed, in columns as wide as the screen.
  void list(const std::vector<std::string>& names) {
    std::size_t width = 0;
    for (const std::string& name : names) width = std::max(width, name.size() + 2);
    std::size_t columns = 80;
    struct winsize size;
    if (ioctl(fileno(screen), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) columns = size.ws_col;
    std::size_t per_row = std::max<std::size_t>(1, columns / width);
    std::size_t rows = (names.size() + per_row - 1) / per_row;
    std::fputc('\n', screen);
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t i = r; i < names.size(); i += rows) {
        bool last = i + rows >= names.size();  // no blanks after the last name of a row
        std::fprintf(screen, "%-*s", last ? 0 : static_cast<int>(width), names[i].c_str());
      }
      std::fputc('\n', screen);
    }
    std::fflush(screen);
  }
};

bool LineEditor::available() { return true; }

std::unique_ptr<LineEditor> LineEditor::open(std::FILE* in, std::FILE* out) {
  if (!isatty(fileno(in))) return nullptr;
  auto session = std::make_unique<Session>();
  if (!session->start(in, out)) return nullptr;
  return std::unique_ptr<LineEditor>(new LineEditor(std::move(session)));
}

LineEditor::LineEditor(std::unique_ptr<Session> session) : session_(std::move(session)) {}
LineEditor::~LineEditor() = default;

bool LineEditor::next(std::string* line) {
  LocaleScope scope(session_->ctype);
  int count = 0;
  const char* text = el_gets(session_->el, &count);
  if (text == nullptr || count <= 0) return false;
  std::string_view typed(text);
  if (!typed.empty() && typed.back() == '\n') typed.remove_suffix(1);
  line->assign(typed);
  if (!line->empty()) {
    HistEvent event;
    history(session_->events, &event, H_ENTER, line->c_str());
  }
  ++lines_read_;
  return true;
}

}  // namespace xas
