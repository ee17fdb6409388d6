#include "driver/driver.h"

#include <cmath>

#include "background/absorption_file.h"
#include "background/edge.h"
#include "background/fit.h"
#include "driver/avafile.h"
#include "driver/freeform_write.h"
#include "driver/naming.h"
#include "driver/run.h"
#include "output/data_files.h"
#include "output/plot_scripts.h"
#include "spectra/kaxis.h"
#include "spectra/noise.h"
#include "spectra/noise_plot.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace xas {

void banner(Run& run) {
  static const char* const kLines[] = {
      "---------------------------------",
      " xasreduce                       ",
      " XAS edge, EXAFS and Fourier     ",
      " by the xasreduce developers     ",
      " version 1.0.0                   ",
      " data set: max 15000 pts         ",
      "---------------------------------",
  };
  for (const char* text : kLines) run.console.record(FreeFormRecord().add_text(text));
}

bool check_points(Run& run, std::string* err) {
  const Data& data = run.data;
  std::string name(run.file.trimmed());
  if (data.n == 0) {
    *err = "xasreduce: '" + name + "' holds no data points";
    return false;
  }
  for (int i = 1; i <= data.n; ++i) {
    const char* what = nullptr;
    if (!std::isfinite(data.energy(i)))
      what = "an energy that is not a finite number";
    else if (!(data.energy(i) > 0.0f))
      what = "an energy that is not positive";
    else if (!std::isfinite(data.absorption(i)))
      what = "an absorption that is not a finite number";
    if (what != nullptr) {
      *err = "xasreduce: point " + std::to_string(i) + " of '" + name + "' has " + what;
      return false;
    }
  }
  return true;
}

bool ask_plot(Run& run, std::string* err) {
  run.console.record(FreeFormRecord().add_text("... Graphic output Gnuplot+TD (1) Gnuplot (0)"));
  if (!run.answers.read_integers(&run.itop, 1, "Graphic output Gnuplot+TD (1) Gnuplot (0)", err))
    return false;
  if (run.itop == 1)
    run.console.record(FreeFormRecord().add_text(" >>> Both TopDrawer and Gnuplot outputs selected"));
  else if (run.itop == 0)
    run.console.record(FreeFormRecord().add_text(" >>> Only Gnuplot outputs selected"));
  return true;
}

void energies_to_kev(Run& run) {
  Data& data = run.data;
  if (data.energy(1) < 80.0f) {
    run.console.record(FreeFormRecord().add_text(" ... Photon energies are in keV"));
    return;
  }
  run.console.record(FreeFormRecord().add_text(" ... Photon energies are in eV"));
  for (int j = 1; j <= data.n; ++j) data.energy(j) = data.energy(j) / 1000.0f;
}

namespace {

bool reduce(Run& run, std::string* err) {
  banner(run);
  run.pi = 3.1415927f;
  if (!avafile(run, err) || !check_points(run, err) || !ask_plot(run, err)) return false;
  energies_to_kev(run);

  if (!locate_edge(run, err)) return false;
  wave_numbers(run);
  if (!fit_background(run, err) || !check_jump(run, err)) return false;
  run.console.release_warnings();
  if (!name_results(run, err) || !open_absorption_file(run, err)) return false;

  extract_signal(run);
  choose_transform(run);
  // The transform prints nothing and only the Fourier files read it: it runs
  // on the other cores while the noise stage, the absorption rows and the
  // text of the files that do not need it are done. Every file is still
  // opened, and its text written, in its turn.
  start_fourier_transform(run, run.threads);
  if (run.itop == 1 && !open_noise_plot(run, err)) return false;
  estimate_noise(run);
  write_absorption_rows(run);
  compose_exafs_file(run);
  if (run.itop == 1) {
    compose_absorption_plot(run);
    set_exafs_plot_limits(run);
    compose_exafs_plot(run);
  }
  finish_fourier_transform(run);

  if (!write_fourier_file(run, err) || !start_result_file(run, kExafsFile, err)) return false;
  if (run.itop == 1) {
    if (!start_result_file(run, kAbsorptionPlotFile, err) ||
        !start_result_file(run, kExafsPlotFile, err) || !write_fourier_plot(run, err))
      return false;
  }
  return close_results(run, err);
}

}  // namespace

int run_reduction(Run& run) {
  std::string err;
  if (!reduce(run, &err)) {
    run.console.error(run.console.refusal(err));
    return 2;
  }
  run.console.flush();
  return 0;
}

}  // namespace xas
