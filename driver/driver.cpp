#include "driver/driver.h"

#include <cstring>
#include <memory>

#include "background/absorption_file.h"
#include "background/edge.h"
#include "background/fit.h"
#include "background/model.h"
#include "driver/answers.h"
#include "driver/avafile.h"
#include "driver/dialogue.h"
#include "driver/naming.h"
#include "common/records.h"
#include "results/result_set.h"
#include "common/warnings.h"
#include "output/data_files.h"
#include "output/plot_scripts.h"
#include "common/text_out.h"
#include "spectra/kaxis.h"
#include "spectra/noise.h"
#include "spectra/noise_plot.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace xas {

// Every record of one reduction, zero at its start.
struct Records {
  DataFile file;
  Data data;
  Logic logic;
  int itop = 0;  // the plot answer: 1 asks for the TopDrawer scripts
  Deriv deriv;
  Edge edge;
  Model model;
  Background background;
  Exafs exafs;
  int ne0 = 0;  // first point above E0
  Normalised normalised;
  TransformParams params;
  Fourie fourie;
  NoiseEstimate noise;
};

struct Reducer::State {
  std::unique_ptr<Records> records = std::make_unique<Records>();
  FourierTransform transform;
  bool used = false;
};

Reducer::Reducer() : state_(std::make_unique<State>()) {}
Reducer::~Reducer() = default;

namespace {

// Waits for the transform on every way out of a run.
struct TransformFinish {
  FourierTransform& transform;
  ~TransformFinish() { transform.finish(); }
};

// The stages in their order. Fails with err set; the result set is then
// dropped and the earlier files stay as they were.
bool reduce(AnswerSource& answers, TextOut& screen, const RunOptions& options, Records& r,
            FourierTransform& transform, Outcome& out, std::string* err) {
  Warnings warnings;
  auto refuse = [&] {
    *err = warnings.refusal(*err);
    return false;
  };
  banner(screen);
  if (!avafile(answers, options.reading, screen, warnings, r.file, r.data, err)) return refuse();
  out.data_name = std::string(r.file.file.trimmed());
  out.points = r.data.n;
  if (!check_points(r.file, r.data, err) || !ask_plot(answers, screen, r.itop, err))
    return refuse();
  energies_to_kev(r.data, screen);

  if (!locate_edge(r.data, r.deriv, r.edge, screen, warnings, err)) return refuse();
  wave_numbers(r.data, r.edge.e0, r.exafs, r.ne0);
  if (!fit_background(r.edge, r.exafs.k, r.data, r.deriv, r.logic, r.model, r.background, screen,
                      warnings, err) ||
      !check_jump(r.data, r.background, err))
    return refuse();
  out.warnings = warnings.take();
  if (options.on_warnings && !out.warnings.empty()) options.on_warnings(out.warnings);

  const std::string base =
      options.base.empty() ? base_name(r.file.file.view()) : options.base;
  out.base = base;
  nome(r.file.file, base, screen);
  ResultSet results(options.directory);
  if (!check_result_names(results, base, r.itop, options.log, r.file, err)) return false;
  TextOut* gabs = start_result_file(results, kAbsorptionFile, base, screen, err);
  if (gabs == nullptr) return false;
  write_absorption_header(r.edge, r.background, *gabs);

  extract_signal(r.data, r.model, r.background, r.logic, r.exafs, r.normalised, screen);
  choose_transform(r.data, r.exafs, r.logic, r.params, screen);
  // The transform prints nothing and only the Fourier files read it: it
  // runs on the other cores while the noise stage and the absorption rows
  // are done.
  TransformFinish finish{transform};
  transform.start(r.exafs, r.params, r.logic, r.fourie, options.threads);
  TextOut* topn = nullptr;
  if (r.itop == 1) {
    topn = start_result_file(results, kNoisePlotFile, base, screen, err);
    if (topn == nullptr) return false;
    write_noise_plot_header(r.data, *topn);
  }
  estimate_noise(r.edge.e0, r.data, screen, *gabs, topn, r.noise);
  write_absorption_rows(r.data, r.deriv, r.edge.e0, r.normalised.fit, r.normalised.anor, *gabs);

  // The files that do not need the transform are written while it runs,
  // each into its temporary; the screen announces them in their turn below.
  bool gexa_exists = false, topa_exists = false, tope_exists = false;
  TextOut* gexa = open_result_file(results, kExafsFile, base, &gexa_exists, err);
  if (gexa == nullptr) return false;
  write_exafs_file(r.data, r.edge, r.background, r.exafs, r.ne0, *gexa);
  TextOut* topa = nullptr;
  TextOut* tope = nullptr;
  if (r.itop == 1) {
    topa = open_result_file(results, kAbsorptionPlotFile, base, &topa_exists, err);
    if (topa == nullptr) return false;
    write_absorption_plot(r.file.file, r.data, r.deriv, r.edge, r.background, r.normalised.fit,
                          *topa);
    const ExafsPlotLimits limits = exafs_plot_limits(r.data, r.exafs, r.normalised.examax);
    tope = open_result_file(results, kExafsPlotFile, base, &tope_exists, err);
    if (tope == nullptr) return false;
    write_exafs_plot(r.file.file, limits, r.exafs, r.ne0, *tope);
  }
  transform.finish();

  TextOut* gfou = start_result_file(results, kFourierFile, base, screen, err);
  if (gfou == nullptr) return false;
  write_fourier_file(r.params, r.fourie, *gfou);
  announce_result_file(kExafsFile, base, gexa_exists, screen);
  if (r.itop == 1) {
    announce_result_file(kAbsorptionPlotFile, base, topa_exists, screen);
    announce_result_file(kExafsPlotFile, base, tope_exists, screen);
    TextOut* topf = start_result_file(results, kFourierPlotFile, base, screen, err);
    if (topf == nullptr) return false;
    write_fourier_plot(r.file.file, r.params, r.fourie, *topf);
  }
  if (options.log) {
    TextOut* log = results.open(base + ".log", err);
    if (log == nullptr) return false;
    log->lines(screen.text());
  }
  // The screen is part of the run: a report that could not be written
  // fails it, and nothing is replaced.
  if (!screen.flush()) {
    *err = std::string("xasreduce: cannot write to standard output: ") +
           std::strerror(screen.error()) + "; the results are not replaced";
    return false;
  }
  return results.commit(err);
}

// The values of the report, for the command line's summary and pictures.
void report_values(const Records& r, Outcome& out) {
  const float ajump = r.background.ajump;
  out.e0 = r.edge.e0 * 1000.0f;
  out.slope = r.edge.slp / ajump;
  out.jump = ajump;
  out.ewl = r.edge.ewl * 1000.0f;
  out.hwl = r.edge.wl / ajump;
  out.averaged = r.noise.averaged;
  out.noise = r.noise.sxave;
  out.pre_end = r.data.energy(std::min(r.background.pre_last, r.data.n)) * 1000.0f;
  out.fit_start = r.data.energy(std::min(std::max(r.background.imin, 1), r.data.n)) * 1000.0f;
  out.kmin = r.params.akmin;
  out.kmax = r.params.akmax;
  out.dk = r.params.dk;
  out.wh = r.params.wh;
}

}  // namespace

int Reducer::run(AnswerSource& answers, TextOut& screen, const RunOptions& options,
                 Outcome& outcome) {
  // Every run starts from zero records, as the dialogue's single run does
  // (a derivative slot skipped for equal energies keeps what it held: zero).
  if (state_->used) {
    Records* records = state_->records.get();
    std::destroy_at(records);
    std::construct_at(records);
  }
  state_->used = true;
  outcome = Outcome();
  std::string err;
  if (!reduce(answers, screen, options, *state_->records, state_->transform, outcome, &err)) {
    outcome.status = 2;
    outcome.message = err;
    return 2;
  }
  report_values(*state_->records, outcome);
  outcome.status = 0;
  return 0;
}

}  // namespace xas
