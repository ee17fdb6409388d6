#include "cli/command_line.h"

#include <iterator>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/pictures.h"
#include "cli/report.h"
#include "cli/series.h"
#include "common/error_stream.h"
#include "common/paths.h"
#include "common/text_out.h"
#include "common/version.h"
#include "output/xdi_files.h"
#include "results/data_file.h"
#include "results/files.h"
#include "results/result_set.h"

namespace xas {

namespace {

// The picture of the series: every file reduced, at its place.
// Every file of the call, at its place, for the picture of the series.
std::vector<SeriesEntry> series_entries(const std::vector<Job>& jobs) {
  std::vector<SeriesEntry> entries;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const FileOutcome& o = jobs[i].outcome;
    SeriesEntry e;
    e.place = static_cast<int>(i) + 1;
    e.name = file_name(jobs[i].path);
    e.status = o.refused ? "refused" : o.warnings.empty() ? "ok" : "warned";
    e.e0 = o.e0;
    e.jump = o.jump;
    e.averaged = o.averaged;
    e.noise = o.noise;
    e.shifted = o.shifted;
    e.shift = o.shift;
    e.gabs = jobs[i].gabs;
    e.gexa = jobs[i].gexa;
    e.gfou = jobs[i].gfou;
    entries.push_back(e);
  }
  return entries;
}

// The title of the series: how many files, the first and the last, how
// many were refused and warned.
std::string series_title(const std::vector<Job>& jobs) {
  int refused = 0, warned = 0;
  for (const Job& job : jobs) {
    if (job.outcome.refused) ++refused;
    else if (!job.outcome.warnings.empty()) ++warned;
  }
  std::string title = std::to_string(jobs.size()) + " files: " + file_name(jobs.front().path) +
                      " ... " + file_name(jobs.back().path);
  if (refused > 0 || warned > 0)
    title += " (" + std::to_string(refused) + " refused, " + std::to_string(warned) + " warned)";
  return title;
}

void draw_series_pictures(const Options& options, const std::vector<Job>& jobs) {
  bool any = false;
  for (const Job& job : jobs) any = any || !job.outcome.refused;
  if (!any) return;
  const std::vector<SeriesEntry> entries = series_entries(jobs);
  for (const char* term : {"png", "svg"}) {
    if ((term[0] == 'p' && !options.png) || (term[0] == 's' && !options.svg)) continue;
    std::string err;
    if (!draw_series(options.outdir, entries, series_title(jobs), term, &err))
      error_line("xasreduce: no picture of the series: " + err);
  }
}

// A picture of a spectrum for the page: its .svg when one was drawn, else
// drawn now from its result files into a scratch file. "" when none can be.
std::string spectrum_svg(const Options& options, const Job& job, bool drawable) {
  if (job.outcome.refused || job.gabs.empty() || !drawable) return std::string();
  const std::string dir = options.outdir.empty() ? "." : options.outdir;
  std::string err;
  if (options.svg) {
    DataText text;
    if (read_data_file(path_in(dir, job.base + ".svg"), -1, &text, &err) == DataRead::read)
      return text.text;
  }
  const ScratchFile picture(dir, ".svg");
  if (!picture.ok() ||
      !render_spectrum(dir, job.gabs, job.gexa, job.gfou, job.values, "svg", picture.path(), &err))
    return std::string();
  return picture.contents();
}

// Writes the page of the series (--report).
bool write_report(const Options& options, const std::vector<Job>& jobs, const Job& merged,
                  std::string* err) {
  Report report;
  report.title = series_title(jobs);
  report.shift = options.align;
  const bool drawable = gnuplot_found() && !script_directory().empty();
  if (!drawable) report.note = "No pictures: they are drawn with gnuplot, which is not on PATH.";
  for (const Job& job : jobs) report.rows.push_back({job.outcome, spectrum_svg(options, job, drawable)});
  if (options.merge) report.rows.push_back({merged.outcome, spectrum_svg(options, merged, drawable)});
  bool any = false;
  for (const Job& job : jobs) any = any || !job.outcome.refused;
  if (any && drawable && jobs.size() > 1) {
    const std::string dir = options.outdir.empty() ? "." : options.outdir;
    const ScratchFile picture(dir, ".svg");
    std::string why;
    if (picture.ok() &&
        render_series(dir, series_entries(jobs), report.title, "svg", picture.path(), &why))
      report.series_svg = picture.contents();
    else
      report.note += (report.note.empty() ? "" : " ") + std::string("No picture of the series: ") +
                     why;
  }
  ResultSet set(directory_of(options.report));
  const std::string name = file_name(options.report);
  return set.add(name, report_page(report), err) && set.commit(err);
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
  // The page's directory, made ready before anything is reduced.
  if (!options.report.empty()) {
    if (!prepare_directory(directory_of(options.report), &err)) {
      error_line("xasreduce: --report: " + err);
      return 2;
    }
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
  if (!options.report.empty() && !write_report(options, jobs, merged, &err)) {
    error_line("xasreduce: no page of the series: " + err);
    return 2;
  }
  for (const Job& job : jobs)
    if (job.outcome.refused) return 1;
  return 0;
}

}  // namespace xas
