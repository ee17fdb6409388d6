#include "driver/result_files.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "background/absorption_file.h"
#include "common/system_error.h"
#include "common/text_out.h"
#include "driver/naming.h"
#include "output/data_files.h"
#include "output/plot_scripts.h"
#include "results/result_set.h"
#include "spectra/noise_plot.h"

namespace xas {

namespace {

void render(const Request& request, const Reduction& r, const ResultKind* kind, TextOut& out) {
  if (kind == &kAbsorptionFile) {
    write_absorption_header(r.edge, r.background, out);
    if (r.noise.averaged) write_average_noise(r.noise.sxave, out);
    write_absorption_rows(r.data, r.deriv, r.edge.e0, r.normalised.fit, r.normalised.anor, out);
  } else if (kind == &kNoisePlotFile) {
    write_noise_plot(r.data, r.noise, out);
  } else if (kind == &kFourierFile) {
    write_fourier_file(r.params, r.fourie, out);
  } else if (kind == &kExafsFile) {
    write_exafs_file(r.data, r.edge, r.background, r.exafs, r.ne0, out);
  } else if (kind == &kAbsorptionPlotFile) {
    write_absorption_plot(request.name, r.data, r.deriv, r.edge, r.background, r.normalised.fit,
                          out);
  } else if (kind == &kExafsPlotFile) {
    write_exafs_plot(request.name, exafs_plot_limits(r.data, r.exafs, r.normalised.examax),
                     r.exafs, r.ne0, out);
  } else if (kind == &kFourierPlotFile) {
    write_fourier_plot(request.name, r.params, r.fourie, out);
  }
}

// Renders the files of the kinds into the set, on `threads` threads in all
// (the calling thread one of them); a thread that cannot start leaves its
// share to the others. Fails with the first file that cannot be started.
bool render_all(const Request& request, const Reduction& r, const std::string& base,
                const std::vector<const ResultKind*>& kinds, int threads, ResultSet& results,
                std::string* err) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::string failure;
  auto work = [&] {
    for (std::size_t i; !failed.load() && (i = next.fetch_add(1)) < kinds.size();) {
      std::string why;
      TextOut* out = results.open(base + kinds[i]->extension, &why);
      if (out == nullptr) {
        if (!failed.exchange(true)) failure = why;
        return;
      }
      render(request, r, kinds[i], *out);
    }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads && static_cast<std::size_t>(t) < kinds.size(); ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  if (failed.load()) *err = failure;
  return !failed.load();
}

}  // namespace

std::vector<std::string> result_names(const std::string& base, int itop, bool log) {
  std::vector<std::string> names;
  for (const ResultKind* kind : kResultKinds)
    if (!kind->topdrawer || itop == 1) names.push_back(base + kind->extension);
  if (log) names.push_back(base + ".log");
  return names;
}

ResultWriter::ResultWriter(const Request& request, const ResultOptions& options)
    : request_(request), options_(options) {}

ResultWriter::~ResultWriter() = default;

namespace {

bool shows_transform(const ResultKind* kind) {
  return kind == &kFourierFile || kind == &kFourierPlotFile;
}

// Writes the XDI file of this suffix into the set.
bool write_xdi(const XdiHead& head, const Reduction& r, const Curves& curves,
               const std::string& name, ResultSet& results, std::string* err) {
  TextOut* out = results.open(name, err);
  if (out == nullptr) return false;
  const XdiRecords records{r.data,   r.deriv,  r.edge,   r.background,
                           r.noise,  r.params, r.fourie, curves};
  if (name.ends_with(kXdiSuffixes[0]))
    write_norm_xdi(head, records, *out);
  else if (name.ends_with(kXdiSuffixes[1]))
    write_chi_xdi(head, records, *out);
  else
    write_ft_xdi(head, records, *out);
  return true;
}

}  // namespace

bool ResultWriter::start(const Reduction& r, std::string* err) {
  started_ = true;
  base_ = options_.base.empty() ? base_name(request_.name.view()) : options_.base;
  nome(request_.name, base_, tail_);
  results_ = std::make_unique<ResultSet>(options_.directory);
  std::vector<std::string> names = result_names(base_, request_.itop, options_.log);
  if (options_.xdi)
    for (const char* suffix : kXdiSuffixes) names.push_back(base_ + suffix);
  names.insert(names.end(), options_.more_names.begin(), options_.more_names.end());
  std::vector<const ResultKind*> kinds;
  for (const ResultKind* kind : kResultKinds)
    if ((!kind->topdrawer || request_.itop == 1) && !shows_transform(kind)) kinds.push_back(kind);
  if (!check_result_names(*results_, names, options_.device, options_.inode, &start_error_) ||
      !render_all(request_, r, base_, kinds, 1, *results_, &start_error_) ||
      (options_.xdi && !start_xdi(r, &start_error_))) {
    start_failed_ = true;
    *err = start_error_;
    return false;
  }
  results_->start_sync();
  return true;
}

bool ResultWriter::start_xdi(const Reduction& r, std::string* err) {
  curves_ = reduction_curves(r.data, r.edge, r.background, r.normalised, r.exafs, r.ne0, r.params);
  return write_xdi(*options_.xdi, r, curves_, base_ + kXdiSuffixes[0], *results_, err) &&
         write_xdi(*options_.xdi, r, curves_, base_ + kXdiSuffixes[1], *results_, err);
}

bool ResultWriter::finish(const Reduction& r, const std::string& head, TextOut& screen,
                          std::string* err) {
  return prepare(r, head, screen, err) && commit(err);
}

bool ResultWriter::commit(std::string* err) {
  if (results_ == nullptr) {
    *err = "no result set was written";
    return false;
  }
  return results_->commit(err);
}

bool ResultWriter::prepare(const Reduction& r, const std::string& head, TextOut& screen,
                           std::string* err) {
  if (!started_) start(r, err);
  if (start_failed_) {
    screen.lines(tail_.text());
    *err = start_error_;
    return false;
  }
  std::vector<const ResultKind*> kinds;
  for (const ResultKind* kind : kResultKinds)
    if ((!kind->topdrawer || request_.itop == 1) && shows_transform(kind)) kinds.push_back(kind);
  if (!render_all(request_, r, base_, kinds, options_.threads, *results_, err)) return false;
  if (options_.xdi &&
      !write_xdi(*options_.xdi, r, curves_, base_ + kXdiSuffixes[2], *results_, err))
    return false;

  // The screen announces each file where the run opens it.
  ResultSet& results = *results_;
  const std::string& base = base_;
  TextOut& tail = tail_;
  auto announce = [&](const ResultKind& kind) {
    bool exists = false;
    std::string ignored;
    results.check(base + kind.extension, &exists, &ignored);
    announce_result_file(kind, base, exists, tail);
  };
  announce(kAbsorptionFile);
  tail.lines(r.screen_signal);
  if (request_.itop == 1) announce(kNoisePlotFile);
  tail.lines(r.screen_noise);
  announce(kFourierFile);
  announce(kExafsFile);
  if (request_.itop == 1) {
    announce(kAbsorptionPlotFile);
    announce(kExafsPlotFile);
    announce(kFourierPlotFile);
  }
  if (options_.log &&
      !results.add(base + ".log",
                   head + tail.text() + (options_.log_note.empty() ? "" : options_.log_note + "\n"),
                   err))
    return false;
  if (options_.before_commit) options_.before_commit(results, base);

  // The screen is part of the run: a report that could not be written
  // fails it, and nothing is replaced.
  screen.lines(tail.text());
  if (!screen.flush()) {
    *err = "cannot write to standard output: " + system_error_text(screen.error()) +
           "; the results are not replaced";
    return false;
  }
  return true;
}

bool write_results(const Request& request, const Reduction& reduction, const std::string& head,
                   const ResultOptions& options, TextOut& screen, std::string* err) {
  ResultWriter writer(request, options);
  return writer.finish(reduction, head, screen, err);
}

}  // namespace xas
