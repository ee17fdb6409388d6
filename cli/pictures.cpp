#include "cli/pictures.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/freeform_write.h"
#include "common/message_text.h"
#include "results/temporaries.h"

extern char** environ;

namespace xas {

namespace {

std::atomic<unsigned> g_pictures{0};

// A text as a gnuplot string: in single quotes, a quote doubled.
std::string gnuplot_string(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted + "'";
}

std::string assign(const char* name, const std::string& value) {
  return std::string(name) + "=" + gnuplot_string(value) + ";";
}

std::string path_in(const std::string& directory, const std::string& name) {
  return directory.empty() || directory == "." ? name : directory + "/" + name;
}

// A hidden file for a picture being drawn, renamed into place when done,
// and removed, as every temporary, when the program is interrupted.
class Scratch {
 public:
  Scratch(const std::string& directory, const std::string& term)
      : name_(".xasreduce-picture-" + std::to_string(getpid()) + "-" +
              std::to_string(g_pictures.fetch_add(1)) + "." + term),
        path_(path_in(directory, name_)) {
    dirfd_ = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd_ >= 0) slot_ = temporaries::add(dirfd_, name_.c_str());
  }
  ~Scratch() {
    std::remove(path_.c_str());
    temporaries::forget(slot_);
    if (dirfd_ >= 0) ::close(dirfd_);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string name_, path_;
  int dirfd_ = -1;
  int slot_ = -1;
};

// Runs gnuplot on a script with the assignments; its messages are kept to
// explain a failure.
bool run_gnuplot(const std::string& assignments, const std::string& script, std::string* err) {
  char log_name[] = "/tmp/xasreduce-gnuplot-XXXXXX";
  const int log = mkstemp(log_name);
  if (log < 0) {
    *err = std::string("cannot run gnuplot: ") + std::strerror(errno);
    return false;
  }
  unlink(log_name);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, log, 2);
  const char* argv[] = {"gnuplot", "-e", assignments.c_str(), script.c_str(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "gnuplot", &actions, nullptr,
                                   const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned == 0) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  std::string said;
  char buf[512];
  lseek(log, 0, SEEK_SET);
  const ssize_t n = read(log, buf, sizeof buf - 1);
  if (n > 0) said.assign(buf, static_cast<std::size_t>(n));
  close(log);
  if (spawned != 0) {
    *err = std::string("cannot run gnuplot: ") + std::strerror(spawned);
    return false;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const std::size_t end = said.find_last_not_of(" \n");
    said = end == std::string::npos ? "it failed" : said.substr(0, end + 1);
    for (char& c : said)
      if (c == '\n' || c == '\t') c = ' ';
    *err = "gnuplot could not draw it: " + said;
    return false;
  }
  return true;
}

bool finish(const Scratch& scratch, const std::string& target, std::string* err) {
  if (std::rename(scratch.path().c_str(), target.c_str()) == 0) return true;
  *err = "cannot put " + quote(target) + " in place: " + std::strerror(errno);
  return false;
}

}  // namespace

std::string report_digits(float value) {
  char field[16];
  put_freeform_real(field, value);
  std::string digits(field, sizeof field);
  const std::size_t first = digits.find_first_not_of(' ');
  const std::size_t last = digits.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : digits.substr(first, last - first + 1);
}

std::string script_directory() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return std::string();
  std::string dir(self, static_cast<std::size_t>(n));
  dir = dir.substr(0, dir.find_last_of('/'));
  for (const std::string& candidate : {dir + "/share/xasreduce", dir + "/../share/xasreduce"}) {
    struct stat st;
    if (stat((candidate + "/panels.gp").c_str(), &st) == 0) return candidate;
  }
  return std::string();
}

bool gnuplot_found() {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::size_t at = 0;
  while (at <= dirs.size()) {
    const std::size_t end = std::min(dirs.find(':', at), dirs.size());
    const std::string dir = dirs.substr(at, end - at);
    if (!dir.empty() && access((dir + "/gnuplot").c_str(), X_OK) == 0) return true;
    at = end + 1;
  }
  return false;
}

bool draw_spectrum(const std::string& directory, const Outcome& o, const std::string& term,
                   std::string* err) {
  const std::string scripts = script_directory();
  if (scripts.empty()) {
    *err = "the picture scripts (share/xasreduce/panels.gp) are not installed beside the program";
    return false;
  }
  const std::string target = path_in(directory, o.base + "." + term);
  const Scratch scratch(directory, term);
  const std::string assignments =
      assign("base", path_in(directory, o.base)) + assign("output", scratch.path()) +
      assign("term", term) + assign("name", o.data_name) + assign("e0", report_digits(o.e0)) +
      assign("ewl", report_digits(o.ewl)) + assign("jump", report_digits(o.jump)) +
      assign("noise", o.averaged ? report_digits(o.noise) : std::string()) +
      assign("kmin", report_digits(o.kmin)) + assign("kmax", report_digits(o.kmax)) +
      assign("dk", report_digits(o.dk)) + assign("wh", report_digits(o.wh)) +
      assign("pre_end", report_digits(o.pre_end)) + assign("fit_start", report_digits(o.fit_start));
  return run_gnuplot(assignments, scripts + "/panels.gp", err) && finish(scratch, target, err);
}

bool draw_series(const std::string& directory, const std::vector<SeriesEntry>& entries,
                 const std::string& title, const std::string& term, std::string* err) {
  const std::string scripts = script_directory();
  if (scripts.empty()) {
    *err = "the picture scripts (share/xasreduce/series.gp) are not installed beside the program";
    return false;
  }
  const Scratch table_file(directory, "tsv");
  const std::string& table = table_file.path();
  std::FILE* f = std::fopen(table.c_str(), "w");
  if (f == nullptr) {
    *err = "cannot write the table of the series: " + std::string(std::strerror(errno));
    return false;
  }
  std::fputs("index\tfile\te0_eV\tjump\tnoise\tgfou\n", f);
  for (const SeriesEntry& entry : entries) {
    const Outcome& o = *entry.outcome;
    std::fprintf(f, "%d\t%s\t%s\t%s\t%s\t%s\n", entry.place, o.data_name.c_str(),
                 report_digits(o.e0).c_str(), report_digits(o.jump).c_str(),
                 o.averaged ? report_digits(o.noise).c_str() : "",
                 path_in(directory, o.base + ".gfou").c_str());
  }
  const bool written = std::fclose(f) == 0;
  if (!written) {
    *err = "cannot write the table of the series";
    return false;
  }
  const Scratch scratch(directory, term);
  return run_gnuplot(assign("table", table) + assign("output", scratch.path()) +
                         assign("term", term) + assign("title", title),
                     scripts + "/series.gp", err) &&
         finish(scratch, path_in(directory, "xasreduce-series." + term), err);
}

}  // namespace xas
