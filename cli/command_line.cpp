#include "cli/command_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "driver/answers.h"
#include "driver/avafile.h"
#include "cli/column_choice.h"
#include "cli/column_labels.h"
#include "driver/driver.h"
#include "common/error_stream.h"
#include "common/message_text.h"
#include "driver/naming.h"
#include "cli/options.h"
#include "cli/pictures.h"
#include "common/text_out.h"

namespace xas {

namespace {

// The answers the dialogue would be given for one file: its name, then the
// integers in the order the questions come.
class PresetAnswers : public AnswerSource {
 public:
  PresetAnswers(std::string name, std::vector<int> integers, bool fluorescence)
      : name_(std::move(name)), integers_(std::move(integers)), fluorescence_(fluorescence) {}
  bool read_line(std::string* text, std::string_view, std::string*) override {
    *text = name_;
    return true;
  }
  bool read_integers(int* targets, int count, std::string_view question,
                     std::string* err) override {
    for (int i = 0; i < count; ++i) {
      if (next_ == integers_.size()) {
        *err = "xasreduce: no answer to \"" + std::string(question) + "\"";
        return false;
      }
      targets[i] = integers_[next_++];
    }
    return true;
  }
  bool fluorescence() const override { return fluorescence_; }

 private:
  std::string name_;
  std::vector<int> integers_;
  std::size_t next_ = 0;
  bool fluorescence_;
};

// The integer answers for the columns chosen and the plot answer.
std::vector<int> column_answers(const Columns& c, int itop) {
  std::vector<int> answers{c.ncol};
  if (c.ncol >= 3) {
    answers.push_back(c.ne);
    answers.push_back(c.nif >= 1 ? 0 : c.nab);
    if (c.nif >= 1) {
      answers.push_back(c.nif);
      answers.push_back(c.ni0);
    } else if (c.nab < 1) {
      answers.push_back(c.ni0);
      answers.push_back(c.ni1);
    }
  }
  answers.push_back(itop);
  return answers;
}

// One FILE of the call.
struct Job {
  std::string path;
  std::string base;     // its result base name
  std::string refusal;  // set when the file cannot be reduced
  Outcome outcome;
  std::vector<std::string> notes;  // warnings beyond the reduction's own
  bool done = false;
};

// A cell of the summary: no tab or line end may break the table.
std::string cell(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

std::string without_prefix(const std::string& message) {
  const std::string prefix = "xasreduce: ";
  return message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : message;
}

std::string join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

// The file's own name, its directories aside.
std::string file_name(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Base names as the dialogue derives them; files of one call that would
// share one keep their whole file name, and, should those agree too, their
// path with "/" as "_". The same file given twice is reduced once.
void choose_bases(std::vector<Job>& jobs) {
  for (Job& job : jobs) job.base = base_name(shown_name(job.path).view());
  for (int round = 0; round < 2; ++round) {
    std::map<std::string, std::vector<Job*>> by_base;
    for (Job& job : jobs)
      if (job.refusal.empty()) by_base[job.base].push_back(&job);
    for (auto& [base, sharing] : by_base) {
      if (sharing.size() < 2) continue;
      for (Job* job : sharing) {
        if (round == 0) {
          job->base = file_name(job->path);
        } else {
          std::string flat = job->path;
          while (flat.compare(0, 2, "./") == 0) flat.erase(0, 2);
          for (char& c : flat)
            if (c == '/') c = '_';
          job->base = flat;
        }
      }
    }
  }
  std::map<std::string, const Job*> first;
  for (Job& job : jobs) {
    if (!job.refusal.empty()) continue;
    auto [at, fresh] = first.emplace(job.base, &job);
    if (!fresh)
      job.refusal = "the same results as " + quote(at->second->path) + " (" + quote(job.base) +
                    "): the file is given twice";
  }
}

// Creates DIR (and its parents) when missing and checks that files can be
// made in it.
bool prepare_directory(const std::string& dir, std::string* err) {
  std::string path;
  std::size_t at = 0;
  while (at != std::string::npos) {
    at = dir.find('/', at + 1);
    path = dir.substr(0, at);
    if (!path.empty() && ::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
      *err = "cannot create the result directory " + quote(path) + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *err = "the result directory " + quote(dir) + " is not a directory";
    return false;
  }
  const std::string probe = dir + "/.xasreduce-probe-" + std::to_string(getpid());
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    *err = "cannot write in the result directory " + quote(dir) + ": " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

// The kinds of picture asked for: "png", "svg", both or none.
std::vector<const char*> picture_terms(const Options& o) {
  std::vector<const char*> terms;
  if (o.png) terms.push_back("png");
  if (o.svg) terms.push_back("svg");
  return terms;
}

struct Settings {
  const Options* options = nullptr;
  int threads = 1;  // transform threads of each reduction
};

// Reduces one file: its columns from its head, then the dialogue with the
// answers they give, then its pictures.
void reduce_job(const Settings& s, Job& job, Reducer& reducer) {
  const Options& o = *s.options;
  FileHead head;
  Columns columns;
  std::string refusal;
  if (!scan_file_head(job.path, &head, &refusal) ||
      !resolve_columns(head, o.columns, o.fluorescence, o.ncol, &columns, &refusal)) {
    job.refusal = refusal;
    return;
  }
  PresetAnswers answers(job.path, column_answers(columns, o.topdrawer ? 1 : 0), columns.nif >= 1);
  TextOut screen;  // the dialogue's screen, kept as BASE.log
  RunOptions run;
  run.directory = o.outdir;
  run.base = job.base;
  run.reading.max_columns = kWideMaxColumns;
  run.reading.fallback = false;
  run.reading.name_limit = false;
  run.threads = s.threads;
  run.log = true;
  if (reducer.run(answers, screen, run, job.outcome) != 0) {
    job.refusal = without_prefix(job.outcome.message);
    return;
  }
  for (const char* term : picture_terms(o)) {
    std::string err;
    if (!draw_spectrum(o.outdir, job.outcome, term, &err))
      job.notes.push_back("no " + std::string(term) + " picture: " + err);
  }
}

// The progress line on a terminal: done/total, refused so far, elapsed time.
class Progress {
 public:
  Progress(bool shown, int total) : shown_(shown), total_(total), start_(Clock::now()) {}
  // Drawn at most ten times a second, and once more at the end.
  void draw(int done, int refused) {
    if (!shown_) return;
    const Clock::time_point now = Clock::now();
    if (done < total_ && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    char line[160];
    std::snprintf(line, sizeof line, "\rxasreduce: %d/%d reduced, %d refused, %.1f s\033[K", done,
                  total_, refused, seconds);
    error_text(line);
    drawn_ = true;
  }
  // A message on its own line, the progress line redrawn after it.
  void say(const std::string& text) {
    if (drawn_) error_text("\r\033[K");
    error_line(text);
    drawn_ = false;
  }
  void end() {
    if (drawn_) error_text("\n");
    drawn_ = false;
  }

 private:
  using Clock = std::chrono::steady_clock;
  static void error_text(const char* text) {
    for (std::size_t left = std::strlen(text); left > 0;) {
      const ssize_t n = ::write(2, text, left);
      if (n <= 0) return;
      text += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  bool shown_;
  int total_;
  Clock::time_point start_;
  Clock::time_point last_;
  bool drawn_ = false;
};

// A row of the summary.
std::string summary_row(const Job& job) {
  std::vector<std::string> cells{cell(job.path)};
  if (!job.refusal.empty()) {
    cells.push_back("refused");
    for (int i = 0; i < 7; ++i) cells.emplace_back();
    cells.push_back(cell(job.refusal));
  } else {
    const Outcome& o = job.outcome;
    std::vector<std::string> messages = o.warnings;
    messages.insert(messages.end(), job.notes.begin(), job.notes.end());
    cells.insert(cells.end(), {"ok", std::to_string(o.points), report_digits(o.e0),
                               report_digits(o.slope), report_digits(o.jump), report_digits(o.ewl),
                               report_digits(o.hwl), o.averaged ? report_digits(o.noise) : "",
                               cell(join(messages))});
  }
  std::string row;
  for (const std::string& c : cells) row += (row.empty() ? "" : "\t") + c;
  return row;
}

}  // namespace

int run_command_line(int argc, char** argv) {
  Options options;
  std::string err;
  if (!parse_options(argc, argv, &options, &err)) {
    error_line("xasreduce: " + err + "\nTry 'xasreduce --help' for the options.");
    return 2;
  }
  TextOut out(1);
  if (options.help || options.version) {
    out.lines(options.help ? usage_text() : "xasreduce 1.0.0\n");
    return out.flush() ? 0 : 2;
  }
  if (!picture_terms(options).empty() && !gnuplot_found()) {
    error_line("xasreduce: --png and --svg need gnuplot, which is not on PATH");
    return 2;
  }
  if (!picture_terms(options).empty() && script_directory().empty()) {
    error_line("xasreduce: --png and --svg need the picture scripts, share/xasreduce/panels.gp,"
               " beside the program");
    return 2;
  }
  if (!prepare_directory(options.outdir, &err)) {
    error_line("xasreduce: " + err);
    return 2;
  }

  std::vector<Job> jobs(options.files.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) jobs[i].path = options.files[i];
  choose_bases(jobs);

  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int workers = std::max(1, std::min(options.jobs > 0 ? options.jobs : cores,
                                           static_cast<int>(jobs.size())));
  Settings settings;
  settings.options = &options;
  settings.threads = std::max(1, cores / workers);

  std::mutex lock;
  std::condition_variable finished;
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    Reducer reducer;
    for (std::size_t i; (i = next.fetch_add(1)) < jobs.size();) {
      if (jobs[i].refusal.empty()) reduce_job(settings, jobs[i], reducer);
      const std::lock_guard<std::mutex> hold(lock);
      jobs[i].done = true;
      finished.notify_one();
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < workers && workers > 1; ++t) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // a process limit: fewer workers
    }
  }
  // With one worker, or when no thread can be started, the calling thread
  // reduces; otherwise it keeps the summary, the messages and the progress
  // line in order while the workers reduce.
  if (threads.empty()) work();

  Progress progress(!options.quiet && ::isatty(2), static_cast<int>(jobs.size()));
  out.line("file\tstatus\tpoints\te0_eV\tslope\tjump\tewl_eV\thwl\tnoise\tmessage");
  out.flush();
  int refused = 0;
  std::size_t shown = 0;
  while (shown < jobs.size()) {
    {
      std::unique_lock<std::mutex> hold(lock);
      finished.wait_for(hold, std::chrono::milliseconds(200), [&] { return jobs[shown].done; });
    }
    for (;;) {
      {
        const std::lock_guard<std::mutex> hold(lock);
        if (shown == jobs.size() || !jobs[shown].done) break;
      }
      const Job& job = jobs[shown];
      if (!job.refusal.empty()) {
        ++refused;
        progress.say("xasreduce: " + job.path + ": refused: " + job.refusal);
      } else {
        for (const std::string& text : job.outcome.warnings)
          progress.say("xasreduce: " + job.path + ": warning: " + text);
        for (const std::string& text : job.notes)
          progress.say("xasreduce: " + job.path + ": warning: " + text);
      }
      out.line(summary_row(job));
      out.flush();
      ++shown;
    }
    progress.draw(static_cast<int>(shown) - refused, refused);
  }
  for (std::thread& thread : threads) thread.join();
  progress.end();

  if (!picture_terms(options).empty() && jobs.size() > 1) {
    std::vector<SeriesEntry> entries;
    for (std::size_t i = 0; i < jobs.size(); ++i)
      if (jobs[i].refusal.empty()) entries.push_back({static_cast<int>(i) + 1, &jobs[i].outcome});
    const std::string title = std::to_string(entries.size()) + " spectra: " +
                              file_name(jobs.front().path) + " ... " + file_name(jobs.back().path);
    for (const char* term : picture_terms(options)) {
      if (!entries.empty() && !draw_series(options.outdir, entries, title, term, &err))
        error_line("xasreduce: no picture of the series: " + err);
    }
  }
  if (!out.flush()) {
    error_line(std::string("xasreduce: cannot write the summary to standard output: ") +
               std::strerror(out.error()));
    return 2;
  }
  return refused > 0 ? 1 : 0;
}

}  // namespace xas
