#include "cli/series.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "cli/channels.h"
#include "cli/column_choice.h"
#include "cli/formats/head.h"
#include "cli/merge.h"
#include "cli/pictures.h"
#include "cli/reduce_file.h"
#include "common/error_stream.h"
#include "common/message_text.h"
#include "common/paths.h"
#include "common/system_error.h"
#include "common/text_out.h"
#include "common/warnings.h"
#include "driver/avafile.h"
#include "driver/dialogue.h"
#include "driver/naming.h"
#include "driver/reduction.h"
#include "driver/result_files.h"
#include "results/data_file.h"
#include "results/files.h"

namespace xas {

namespace {

using Identity = std::pair<dev_t, ino_t>;

}  // namespace

void choose_bases(const std::string& directory, const std::vector<std::string>& extra_extensions,
                  std::vector<Job>& jobs) {
  // The same file given twice is reduced once.
  std::map<Identity, const Job*> first;
  std::set<Identity> files;
  for (Job& job : jobs) {
    job.known = file_identity(job.path, &job.device, &job.inode);
    if (!job.known) continue;
    const Identity id{job.device, job.inode};
    files.insert(id);
    auto [at, fresh] = first.emplace(id, &job);
    if (!fresh) {
      job.outcome.refused = true;
      job.outcome.refusal = "the same file as " + quote(at->second->path) + ": it is given twice";
    }
  }
  // The dialogue's base names; different files that would share one keep
  // their whole file name, and, should those agree too, their path with
  // "/" as "_".
  for (Job& job : jobs) job.base = base_name(shown_name(job.path).view());
  for (int round = 0; round < 2; ++round) {
    std::map<std::string, std::vector<Job*>> by_base;
    for (Job& job : jobs)
      if (!job.outcome.refused) by_base[job.base].push_back(&job);
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
  // Whatever still meets another base, or would put a result on a FILE of
  // the call, is numbered.
  std::vector<std::string> extensions;
  for (const ResultKind* kind : kResultKinds) extensions.push_back(kind->extension);
  extensions.push_back(".log");
  extensions.insert(extensions.end(), extra_extensions.begin(), extra_extensions.end());
  auto hits_a_file = [&](const std::string& base) {
    for (const std::string& ext : extensions) {
      dev_t device = 0;
      ino_t inode = 0;
      if (file_identity(path_in(directory, base + ext), &device, &inode) &&
          files.count(Identity{device, inode}) > 0)
        return true;
    }
    return false;
  };
  std::set<std::string> used;
  for (Job& job : jobs) {
    if (job.outcome.refused) continue;
    std::string base = job.base;
    for (int n = 2; used.count(base) > 0 || hits_a_file(base); ++n)
      base = job.base + "-" + std::to_string(n);
    job.base = base;
    used.insert(base);
  }
}

namespace {

struct Settings {
  const Options* options = nullptr;
  int threads = 1;  // threads of each reduction
  float align_target = NAN;  // eV: where --align puts the reference edges
};

// The kinds of picture asked for: "png", "svg", both or none.
std::vector<std::string> picture_terms(const Options& o) {
  std::vector<std::string> terms;
  if (o.png) terms.push_back("png");
  if (o.svg) terms.push_back("svg");
  return terms;
}

void refuse(Job& job, const std::string& why) {
  job.outcome.refused = true;
  job.outcome.refusal = why;
  job.pending.reset();  // nothing of it is committed
}

// Commits the result sets of the jobs handed to it, in their order, on a
// thread of its own: the waits of the disk overlap the next reductions.
class Committer {
 public:
  Committer(std::vector<Job>& jobs, std::mutex& lock, std::condition_variable& finished)
      : jobs_(jobs), lock_(lock), finished_(finished) {
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      // No thread: each set is committed where it is handed over.
    }
  }
  ~Committer() {
    {
      const std::lock_guard<std::mutex> hold(queue_lock_);
      closing_ = true;
    }
    ready_.notify_one();
    if (thread_.joinable()) thread_.join();
  }
  // The job is reduced: commits its set, if it has one, and marks it done.
  void hand_over(std::size_t i) {
    if (jobs_[i].pending == nullptr || !thread_.joinable()) return commit(i);
    {
      const std::lock_guard<std::mutex> hold(queue_lock_);
      queue_.push_back(i);
    }
    ready_.notify_one();
  }

 private:
  void run() {
    for (;;) {
      std::size_t i = 0;
      {
        std::unique_lock<std::mutex> hold(queue_lock_);
        ready_.wait(hold, [&] { return closing_ || !queue_.empty(); });
        if (queue_.empty()) return;
        i = queue_.front();
        queue_.pop_front();
      }
      commit(i);
    }
  }
  void commit(std::size_t i) {
    Job& job = jobs_[i];
    std::string err;
    if (job.pending != nullptr && !job.pending->commit(&err)) refuse(job, err);
    job.pending.reset();  // its temporaries are gone
    const std::lock_guard<std::mutex> hold(lock_);
    job.done = true;
    finished_.notify_one();
  }

  std::vector<Job>& jobs_;
  std::mutex& lock_;
  std::condition_variable& finished_;
  std::mutex queue_lock_;
  std::condition_variable ready_;
  std::deque<std::size_t> queue_;
  bool closing_ = false;
  std::thread thread_;
};

// The digits of a shift with its sign: "+0.35", "-1.20".
std::string signed_ev(float shift) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.3f", static_cast<double>(shift));
  return text;
}

// Reduces a loaded spectrum (a file's, or the merge's) into the job: its
// result set (with BASE.log, the screen the dialogue would have shown) and
// its pictures, committed later.
void reduce_loaded(const Settings& s, Job& job, Reduction& r, LoadedFile& file,
                   std::vector<std::string> warnings) {
  const Options& o = *s.options;
  std::string err;
  Request request = file.request;
  request.itop = o.topdrawer ? 1 : 0;
  FileOutcome& out = job.outcome;
  out.channel = file.channel;
  TextOut screen;  // the dialogue's screen, kept as BASE.log
  screen.lines(file.screen);
  show_plot(request, screen);

  ResultOptions results;
  results.directory = o.outdir;
  results.base = job.base;
  results.log = true;
  results.log_note = file.log_note;
  results.threads = s.threads;
  results.device = file.device;
  results.inode = file.inode;
  if (o.xdi) results.xdi = xdi_head(file);
  // Alignment: the energies shifted so that the reference's edge falls on
  // the call's.
  if (o.align && job.merged == nullptr) {
    const ReferenceEdge& ref = file.reference;
    if (!ref.found) {
      warnings.push_back("not aligned: " + ref.why);
    } else if (std::isnan(s.align_target)) {
      warnings.push_back("not aligned: no file of the call has a reference channel whose edge"
                         " could be found");
    } else {
      const float shift = s.align_target - ref.e0;
      for (int i = 1; i <= r.data.n; ++i) r.data.energy(i) = r.data.energy(i) + shift;
      out.shifted = true;
      out.shift = shift;
      results.log_note += "\n ... energies shifted by " + signed_ev(shift) +
                          " eV: the edge of the reference " + ref.label + " at " +
                          report_digits(ref.e0) + " eV put on " + report_digits(s.align_target) +
                          " eV";
    }
  }
  if (o.merge && job.merged == nullptr) {
    job.energy = r.data.energy.values();
    job.mu = r.data.absorption.values();
  }
  const std::vector<std::string> terms = picture_terms(o);
  for (const std::string& term : terms) results.more_names.push_back(job.base + "." + term);
  std::vector<std::string> notes;
  PictureValues values;
  if (!terms.empty()) {
    results.before_commit = [&](ResultSet& set, const std::string& base) {
      for (const std::string& term : terms) {
        std::string why;
        if (!draw_spectrum(set, base, values, term, &why))
          notes.push_back("no " + term + " picture: " + why);
      }
    };
  }
  job.pending = std::make_unique<ResultWriter>(request, results);
  ResultWriter& writer = *job.pending;
  ReductionSettings settings;
  settings.threads = s.threads;
  settings.edge = o.e0;
  settings.parameters = o.parameters;
  // The files that do not show the transform are written while it runs.
  settings.while_transforming = [&](const Reduction& reduction) {
    screen.lines(reduction.screen_edge);
    std::string ignored;  // finish() gives the failure in its turn
    writer.start(reduction, &ignored);
  };
  if (!reduce(settings, r, &err)) return refuse(job, file.refusal(err));
  out.warnings = file.warnings(r);
  out.warnings.insert(out.warnings.end(), warnings.begin(), warnings.end());
  out.notes = r.notes;
  values = picture_values(request, r);
  // The picture says that the reduction warned, and of what.
  if (!out.warnings.empty()) {
    values.warning = out.warnings.front();
    if (values.warning.size() > 160) values.warning = values.warning.substr(0, 157) + "...";
    if (out.warnings.size() > 1)
      values.warning += " (and " + std::to_string(out.warnings.size() - 1) + " more)";
  }
  TextOut tail;  // the rest of the screen: in BASE.log only
  if (!writer.prepare(r, screen.text(), tail, &err)) return refuse(job, err);
  out.warnings.insert(out.warnings.end(), notes.begin(), notes.end());
  set_report_values(r, &out);
  job.values = values;
  job.gabs = path_in(o.outdir, job.base + ".gabs");
  job.gexa = path_in(o.outdir, job.base + ".gexa");
  job.gfou = path_in(o.outdir, job.base + ".gfou");
}

// Reduces one file: read once, its columns chosen from its head, its table
// loaded and reduced.
void reduce_job(const Settings& s, Job& job, Reduction& r) {
  LoadedFile file;
  std::string err;
  if (!load_file(job.path, s.options->choice, &file, r.data, &err)) return refuse(job, err);
  reduce_loaded(s, job, r, file, {});
}

// The edge of the first reference of the call, in the order of the files:
// where every other file's reference edge is put. NaN when no file has one.
float first_reference_edge(const Options& options, const std::vector<Job>& jobs,
                           std::string* from) {
  for (const Job& job : jobs) {
    if (job.outcome.refused) continue;
    LoadedFile file;
    Data data;
    std::string err;
    if (load_file(job.path, options.choice, &file, data, &err) && file.reference.found) {
      *from = job.path;
      return file.reference.e0;
    }
  }
  return NAN;
}

// The merge of the reduced spectra, reduced as one more job.
void reduce_merge(const Settings& s, std::vector<Job>& jobs, Job& merged) {
  std::vector<MergeInput> inputs;
  std::vector<const Job*> sources;
  for (const Job& job : jobs) {
    if (job.outcome.refused || job.energy.empty()) continue;
    inputs.push_back({job.path, &job.energy, &job.mu, job.outcome.e0, job.outcome.averaged,
                      job.outcome.noise});
    sources.push_back(&job);
  }
  const MergePlan plan = plan_merge(inputs);
  merged.merged = &merged;
  if (plan.used < 2) {
    merged.outcome.channel = "merged";
    std::string why = "--merge: " + std::to_string(plan.used) +
                      (plan.used == 1 ? " spectrum" : " spectra") +
                      " to average, fewer than 2";
    for (const std::string& left : plan.left_out) why += "; " + left;
    return refuse(merged, why);
  }
  std::vector<float> energy, mu;
  merge_spectra(inputs, plan, &energy, &mu);
  if (energy.size() < 2) {
    std::string why = "--merge: the spectra share no energy range:";
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      if (plan.weights[i] <= 0.0) continue;
      char range[96];
      std::snprintf(range, sizeof range, " %.1f-%.1f eV", inputs[i].energy->front(),
                    inputs[i].energy->back());
      why += " " + inputs[i].name + range + ";";
    }
    why.pop_back();
    merged.outcome.channel = "merged";
    return refuse(merged, why);
  }
  std::string words = "the weighted average of " + std::to_string(plan.used) + " spectra:";
  std::string note = "merged from";
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (plan.weights[i] <= 0.0) continue;
    char weight[32];
    std::snprintf(weight, sizeof weight, "%.3f", plan.weights[i]);
    words += " " + inputs[i].name + " (weight " + weight + ")";
    note += std::string(note == "merged from" ? " " : ", ") + inputs[i].name + " (weight " +
            weight + ")";
  }
  Reduction r;
  LoadedFile file;
  load_points_file(merged.path, energy, mu, words, &file, r.data);
  file.channel = "merged";
  std::string err;
  if (!check_points(r.data, quote(merged.path), &err)) return refuse(merged, err);
  reduce_loaded(s, merged, r, file, plan.left_out);
  merged.outcome.notes.insert(merged.outcome.notes.begin(), note);
  if (merged.pending != nullptr && !merged.pending->commit(&err)) refuse(merged, err);
  merged.pending.reset();
}

// The job's row of the summary, and its refusal or warnings on the error
// stream.
void show(Job& job, const Options& options, Progress& progress, TextOut& out, int* refused) {
  job.outcome.path = job.path;
  if (job.outcome.refused) {
    ++*refused;
    progress.say("xasreduce: " + job.path + ": refused: " + job.outcome.refusal);
  } else {
    for (const std::string& text : job.outcome.warnings)
      progress.say("xasreduce: " + job.path + ": warning: " + text);
  }
  out.line(summary_row(job.outcome, options.align));
  out.flush();
}

}  // namespace

bool run_series(const Options& options, std::vector<Job>& jobs, Job* merged, std::string* err) {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int workers = std::max(1, std::min(options.jobs > 0 ? options.jobs : cores,
                                           static_cast<int>(jobs.size())));
  Settings settings;
  settings.options = &options;
  settings.threads = std::max(1, cores / workers);
  if (options.align) {
    std::string from;
    settings.align_target =
        std::isnan(options.align_to) ? first_reference_edge(options, jobs, &from) : options.align_to;
  }

  std::mutex lock;
  std::condition_variable finished;
  Committer committer(jobs, lock, finished);
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    Reduction reduction;  // its memory kept from one file to the next
    for (std::size_t i; (i = next.fetch_add(1)) < jobs.size();) {
      if (!jobs[i].outcome.refused) reduce_job(settings, jobs[i], reduction);
      committer.hand_over(i);
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

  TextOut out(1);
  Progress progress(!options.quiet && ::isatty(2), static_cast<int>(jobs.size()));
  out.line(summary_header(options.align));
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
      show(jobs[shown], options, progress, out, &refused);
      ++shown;
    }
    progress.draw(static_cast<int>(shown) - refused, refused);
  }
  for (std::thread& thread : threads) thread.join();
  if (options.merge && merged != nullptr) {
    reduce_merge(settings, jobs, *merged);
    show(*merged, options, progress, out, &refused);
  }
  progress.end();
  if (!out.flush()) {
    *err = "cannot write the summary to standard output: " + system_error_text(out.error());
    return false;
  }
  return true;
}

}  // namespace xas
