#include "support/stage_records.h"

#include <cstdio>

#include "background/absorption_file.h"
#include "common/message_text.h"
#include "driver/answers.h"
#include "driver/avafile.h"
#include "driver/reduction.h"
#include "spectra/noise_plot.h"

namespace xas::test {

std::unique_ptr<StageRecords> stage_records() { return std::make_unique<StageRecords>(); }

bool run_to(StageRecords& r, Step last, std::string* err, int threads) {
  if (!locate_edge(r.data, r.deriv, r.edge, r.screen, r.warnings, err)) return false;
  if (last == Step::edge) return true;
  wave_numbers(r.data, r.edge.e0, r.exafs, r.ne0);
  if (last == Step::axis) return true;
  if (!fit_background(r.edge, r.exafs.k, r.data, r.deriv, r.logic, r.model, r.background,
                      r.screen, r.warnings, err))
    return false;
  if (last == Step::fit) return true;
  if (!check_jump(r.data, r.background, err)) return false;
  if (last == Step::jump) return true;
  extract_signal(r.data, r.model, r.background, r.logic, r.exafs, r.normalised, r.screen);
  choose_transform(r.data, r.exafs, r.logic, r.params, r.screen);
  if (last == Step::signal) return true;
  fourier_transform(r.exafs, r.params, r.logic, r.fourie, threads);
  if (last == Step::transform) return true;
  estimate_noise(r.edge.e0, r.data, r.screen, r.noise);
  if (r.noise.averaged) write_average_noise(r.noise.sxave, r.absorption_file);
  if (r.itop == 1)
    for (const NoiseRange& range : r.noise.ranges) write_noise_plot_block(r.data, range, r.noise_plot);
  return true;
}

bool load(StageRecords& r, const std::string& answers, std::string* err) {
  std::string text = answers;
  std::FILE* in = fmemopen(text.data(), text.size(), "r");
  Answers source(in);
  DataText file;
  const bool ok =
      ask_data_file(source, dialogue_rules(), r.screen, &r.request, err) &&
      open_data_file(&r.request, -1, r.screen, r.warnings, &file, err) == Opened::read &&
      load_table(r.request, file, r.screen, r.warnings, r.data, err) &&
      check_points(r.data, quote(r.request.path), err);
  std::fclose(in);
  if (ok) energies_to_kev(r.data, r.screen);
  return ok;
}

}  // namespace xas::test
