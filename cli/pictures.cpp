#include "cli/pictures.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/freeform_write.h"
#include "common/paths.h"
#include "common/system_error.h"
#include "common/write_all.h"
#include "results/files.h"
#include "results/result_set.h"

extern char** environ;

namespace xas {

namespace {

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

// Runs gnuplot on a script with the assignments; its messages are kept (in
// a scratch file of `directory`) to explain a failure.
bool run_gnuplot(const std::string& directory, const std::string& assignments,
                 const std::string& script, std::string* err) {
  const ScratchFile log(directory, ".gnuplot-log");
  if (!log.ok()) {
    *err = "cannot run gnuplot: " + system_error_text(log.error());
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, log.fd(), 2);
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
  if (spawned != 0) {
    *err = "cannot run gnuplot: " + system_error_text(spawned);
    return false;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string said = log.contents().substr(0, 511);
    const std::size_t end = said.find_last_not_of(" \n");
    said = end == std::string::npos ? "it failed" : said.substr(0, end + 1);
    for (char& c : said)
      if (c == '\n' || c == '\t') c = ' ';
    *err = "gnuplot could not draw it: " + said;
    return false;
  }
  return true;
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
  const std::string dir = program_directory();
  if (dir.empty()) return std::string();
  for (const std::string& candidate : {dir + "/share/xasreduce", dir + "/../share/xasreduce"})
    if (file_exists(candidate + "/panels.gp")) return candidate;
  return std::string();
}

bool gnuplot_found() { return on_path("gnuplot"); }

PictureValues picture_values(const Request& request, const Reduction& r) {
  PictureValues v;
  v.name = file_name(std::string(request.name.trimmed()));
  v.e0 = r.e0_ev();
  v.xanes_only = r.xanes_only();
  v.ewl = r.ewl_ev();
  v.jump = r.jump();
  v.averaged = r.noise.averaged;
  v.noise = r.noise.sxave;
  v.kmin = r.params.akmin;
  v.kmax = r.params.akmax;
  v.dk = r.params.dk;
  v.wh = r.params.wh;
  const int n = r.data.n;
  v.pre_end = r.data.energy(std::min(std::max(r.background.pre_last, 1), n)) * 1000.0f;
  v.fit_start = r.data.energy(std::min(std::max(r.background.imin, 1), n)) * 1000.0f;
  return v;
}

bool render_spectrum(const std::string& directory, const std::string& gabs,
                     const std::string& gexa, const std::string& gfou, const PictureValues& v,
                     const std::string& term, const std::string& output, std::string* err) {
  const std::string scripts = script_directory();
  if (scripts.empty()) {
    *err = "the picture scripts (share/xasreduce/panels.gp) are not installed beside the program";
    return false;
  }
  const std::string assignments =
      assign("gabs", gabs) + assign("gexa", gexa) + assign("gfou", gfou) +
      assign("output", output) + assign("term", term) + assign("name", v.name) +
      assign("warning", v.warning) + assign("xanes", v.xanes_only ? "1" : "") +
      assign("e0", report_digits(v.e0)) + assign("ewl", report_digits(v.ewl)) +
      assign("jump", report_digits(v.jump)) +
      assign("noise", v.averaged ? report_digits(v.noise) : std::string()) +
      assign("kmin", report_digits(v.kmin)) + assign("kmax", report_digits(v.kmax)) +
      assign("dk", report_digits(v.dk)) + assign("wh", report_digits(v.wh)) +
      assign("pre_end", report_digits(v.pre_end)) + assign("fit_start", report_digits(v.fit_start));
  return run_gnuplot(directory, assignments, scripts + "/panels.gp", err);
}

bool draw_spectrum(ResultSet& set, const std::string& base, const PictureValues& v,
                   const std::string& term, std::string* err) {
  const std::string name = base + "." + term;
  const std::string output = set.add_external(name, err);
  const bool drawn =
      !output.empty() &&
      render_spectrum(set.directory(), set.scratch_path(base + ".gabs"),
                      set.scratch_path(base + ".gexa"), set.scratch_path(base + ".gfou"), v, term,
                      output, err);
  // No picture of an earlier reduction stays beside the new results.
  if (!drawn) set.drop(name);
  return drawn;
}

bool render_series(const std::string& directory, const std::vector<SeriesEntry>& entries,
                   const std::string& title, const std::string& term, const std::string& output,
                   std::string* err) {
  const std::string scripts = script_directory();
  if (scripts.empty()) {
    *err = "the picture scripts (share/xasreduce/series.gp) are not installed beside the program";
    return false;
  }
  const ScratchFile table(directory, ".tsv");
  if (!table.ok()) {
    *err = "cannot write the table of the series: " + system_error_text(table.error());
    return false;
  }
  // Tabs and line ends inside a name would break the table's rows.
  auto cell = [](std::string text) {
    for (char& c : text)
      if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
  };
  std::string text =
      "index\tfile\tstatus\te0_eV\tjump\tnoise\tshift_eV\tgabs\tgexa\tgfou\treduced\n";
  int count = 0;
  for (const SeriesEntry& e : entries) {
    const bool reduced = e.status != "refused";
    if (reduced) ++count;
    text += std::to_string(e.place) + "\t" + cell(e.name) + "\t" + e.status + "\t" +
            (reduced ? report_digits(e.e0) : "") + "\t" + (reduced ? report_digits(e.jump) : "") +
            "\t" + (reduced && e.averaged ? report_digits(e.noise) : "") + "\t" +
            (reduced && e.shifted ? report_digits(e.shift) : "") + "\t" + cell(e.gabs) + "\t" +
            cell(e.gexa) + "\t" + cell(e.gfou) + "\t" + (reduced ? std::to_string(count) : "") +
            "\n";
  }
  const int error = write_all(table.fd(), text.data(), text.size());
  if (error != 0) {
    *err = "cannot write the table of the series: " + system_error_text(error);
    return false;
  }
  return run_gnuplot(directory,
                     assign("table", table.path()) + assign("output", output) +
                         assign("term", term) + assign("title", title),
                     scripts + "/series.gp", err);
}

bool draw_series(const std::string& directory, const std::vector<SeriesEntry>& entries,
                 const std::string& title, const std::string& term, std::string* err) {
  ResultSet set(directory);
  const std::string name = "xasreduce-series." + term;
  const std::string output = set.add_external(name, err);
  if (output.empty()) return false;
  if (!render_series(directory, entries, title, term, output, err)) {
    set.drop(name);
    std::string ignored;
    set.commit(&ignored);
    return false;
  }
  return set.commit(err);
}

}  // namespace xas
