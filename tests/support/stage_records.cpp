#include "support/stage_records.h"

#include <cstdio>

#include "driver/answers.h"
#include "driver/dialogue.h"

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
  estimate_noise(r.edge.e0, r.data, r.screen, r.absorption_file,
                 r.itop == 1 ? &r.noise_plot : nullptr, r.noise);
  return true;
}

bool load(StageRecords& r, const std::string& answers, std::string* err) {
  std::string text = answers;
  std::FILE* in = fmemopen(text.data(), text.size(), "r");
  Answers source(in);
  const bool ok = avafile(source, ReadingRules(), r.screen, r.warnings, r.file, r.data, err) &&
                  check_points(r.file, r.data, err);
  std::fclose(in);
  if (ok) energies_to_kev(r.data, r.screen);
  return ok;
}

}  // namespace xas::test
