#include "driver/reduction.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/freeform_write.h"
#include "common/message_text.h"
#include "common/text_out.h"
#include "common/warnings.h"

namespace xas {

bool Reduction::xanes_only() const {
  const float reach = std::min(params.akmax, exafs.n > 0 ? exafs.k(exafs.n) : 0.0f);
  return !(reach - params.akmin >= kXanesOnly);
}

bool check_points(const Data& data, const std::string& name, std::string* err) {
  if (data.n == 0) {
    *err = name + " holds no data points";
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
      *err = "point " + std::to_string(i) + " of " + name + " has " + what;
      return false;
    }
  }
  return true;
}

void energies_to_kev(Data& data, TextOut& screen) {
  if (data.energy(1) < 80.0f) {
    screen.record(FreeFormRecord().add_text(" ... Photon energies are in keV"));
    return;
  }
  screen.record(FreeFormRecord().add_text(" ... Photon energies are in eV"));
  for (int j = 1; j <= data.n; ++j) data.energy(j) = data.energy(j) / 1000.0f;
}

namespace {

// Waits for the transform on every way out of a reduction.
struct TransformFinish {
  FourierTransform& transform;
  ~TransformFinish() { transform.finish(); }
};

}  // namespace

bool reduce(const ReductionSettings& settings, Reduction& r, std::string* err) {
  r.logic = Logic();
  r.warnings.clear();
  r.notes.clear();
  Warnings warnings;
  TextOut screen;
  auto keep = [&](std::string& part) {
    part = screen.take();
    r.warnings = warnings.take();
  };
  r.screen_signal.clear();
  r.screen_noise.clear();

  energies_to_kev(r.data, screen);
  // Every record starts from zero, as the single run of the program does:
  // a derivative slot skipped for equal energies keeps zero. (The arrays
  // keep their memory from an earlier spectrum.)
  r.deriv.emid.zero(r.data.n);
  r.deriv.slope.zero(r.data.n);
  r.edge = Edge();
  r.model = Model();
  r.background = Background();
  r.ne0 = 0;
  r.params = TransformParams();
  if (!locate_edge(r.data, r.deriv, r.edge, screen, warnings, err, settings.edge)) {
    keep(r.screen_edge);
    return false;
  }
  wave_numbers(r.data, r.edge.e0, r.exafs, r.ne0);
  const bool fitted = fit_background(r.edge, r.exafs.k, r.data, r.deriv, r.logic, r.model,
                                     r.background, screen, warnings, err) &&
                      check_jump(r.data, r.background, err);
  keep(r.screen_edge);
  if (!fitted) return false;

  extract_signal(r.data, r.model, r.background, r.logic, r.exafs, r.normalised, screen);
  choose_transform(r.data, r.exafs, r.logic, r.params, screen, settings.parameters);
  if (settings.edge.kind == EdgeRule::smooth)
    r.notes.push_back("edge energy from the smoothed derivative (--e0 smooth)");
  else if (settings.edge.kind == EdgeRule::given)
    r.notes.push_back("edge energy given (--e0 " + ev(settings.edge.e0) + ")");
  if (r.xanes_only()) {
    const float reach = std::min(r.params.akmax, r.exafs.k(r.data.n));
    char buf[96];
    std::snprintf(buf, sizeof buf, "XANES only: the data reach k = %.2f/A, %.2f/A above kmin",
                  static_cast<double>(r.exafs.k(r.data.n)),
                  static_cast<double>(std::max(0.0f, reach - r.params.akmin)));
    r.notes.push_back(buf);
  }
  r.screen_signal = screen.take();
  {
    // The transform prints nothing and the noise estimate does not read it:
    // it runs on the other threads meanwhile.
    FourierTransform transform;
    TransformFinish finish{transform};
    if (settings.transform)
      transform.start(r.exafs, r.params, r.logic, r.fourie, settings.threads);
    else
      r.fourie.zero(0);
    estimate_noise(r.edge.e0, r.data, screen, r.noise);
    r.screen_noise = screen.take();
    if (settings.while_transforming) settings.while_transforming(r);
  }
  return true;
}

}  // namespace xas
