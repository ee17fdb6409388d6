#include "cli/command_line.h"

#include <iterator>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/pictures.h"
#include "cli/series.h"
#include "common/error_stream.h"
#include "common/text_out.h"
#include "common/version.h"
#include "output/xdi_files.h"
#include "results/files.h"

namespace xas {

namespace {

// The file's own name, its directories aside.
std::string file_name(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The picture of the series: every file reduced, at its place.
void draw_series_pictures(const Options& options, const std::vector<Job>& jobs) {
  std::vector<SeriesEntry> entries;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const FileOutcome& o = jobs[i].outcome;
    if (o.refused) continue;
    entries.push_back({static_cast<int>(i) + 1, file_name(jobs[i].path), o.e0, o.jump, o.averaged,
                       o.noise, jobs[i].gfou});
  }
  if (entries.empty()) return;
  const std::string title = std::to_string(entries.size()) + " spectra: " +
                            file_name(jobs.front().path) + " ... " + file_name(jobs.back().path);
  for (const char* term : {"png", "svg"}) {
    if ((term[0] == 'p' && !options.png) || (term[0] == 's' && !options.svg)) continue;
    std::string err;
    if (!draw_series(options.outdir, entries, title, term, &err))
      error_line("xasreduce: no picture of the series: " + err);
  }
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
    out.lines(options.help ? usage_text() : "xasreduce " + std::string(kVersion) + "\n");
    return out.flush() ? 0 : 2;
  }
  const bool pictures = options.png || options.svg;
  if (pictures && !gnuplot_found()) {
    error_line("xasreduce: --png and --svg need gnuplot, which is not on PATH");
    return 2;
  }
  if (pictures && script_directory().empty()) {
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
  std::vector<std::string> more_extensions;
  if (options.png) more_extensions.push_back(".png");
  if (options.svg) more_extensions.push_back(".svg");
  if (options.xdi) more_extensions.insert(more_extensions.end(), std::begin(kXdiSuffixes),
                                          std::end(kXdiSuffixes));
  choose_bases(options.outdir, more_extensions, jobs);
  // The merge's result base: the first file's, "_merged" added, numbered
  // where a base of the call has it.
  Job merged;
  if (options.merge) {
    std::string first = "xasreduce";
    for (const Job& job : jobs)
      if (!job.base.empty()) {
        first = job.base;
        break;
      }
    std::string base = first + "_merged";
    for (int n = 2;; ++n) {
      bool taken = false;
      for (const Job& job : jobs) taken = taken || job.base == base;
      if (!taken) break;
      base = first + "_merged-" + std::to_string(n);
    }
    merged.base = base;
    merged.path = base;
  }
  if (!run_series(options, jobs, &merged, &err)) {
    error_line("xasreduce: " + err);
    return 2;
  }
  if (pictures && jobs.size() > 1) draw_series_pictures(options, jobs);
  for (const Job& job : jobs)
    if (job.outcome.refused) return 1;
  return 0;
}

}  // namespace xas
