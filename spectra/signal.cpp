#include "spectra/signal.h"

#include <cmath>

#include "driver/freeform_write.h"
#include "driver/run.h"

namespace xas {

float normalisation(float d, float e0, float k, float pi) {
  if (k == 0.0f) return 1.0f - (2.6666667f * d) / e0;
  const float x = d / e0;
  const float u = std::sqrt(x);
  const float t = std::exp(-(4.0f / u) * std::atan(u));
  const float x1 = 1.0f + x;
  const float x1_4 = (x1 * x1) * (x1 * x1);
  const float two_pi = 2.0f * pi;
  return ((t / 0.01831564f) / x1_4) / (1.0f - std::exp(-two_pi / u));
}

void extract_signal(Run& run) {
  const Data& data = run.data;
  Exafs& exafs = run.exafs;
  const float e0 = run.model.spl0.e0;
  run.examax = 0.0f;
  if (run.logic.fit == 'S') {
    run.console.record(FreeFormRecord().add_text(" ... Hydrogen-like exact normalization"));
    for (int i = 1; i <= data.n; ++i) {
      const float d = data.energy(i) - e0;
      float s = 0.0f;
      spline(run.model, d, s);
      const float bck = run.bb + (run.aa * data.energy(i) + s);
      run.fit(i) = bck;
      run.anorm = normalisation(d, e0, exafs.k(i), run.pi);
      exafs.chi(i) = ((data.absorption(i) - bck) / run.ajump) / run.anorm;
      run.anor(i) = run.ajump * run.anorm;
      if (d < 0.0f) exafs.chi(i) = 0.0f;
      if (exafs.k(i) > 3.0f && i >= run.imin && i <= run.imax) {
        const float magnitude = std::fabs(exafs.chi(i));
        if (magnitude > run.examax) run.examax = magnitude;
      }
    }
  }
  exafs.n = data.n;
  run.logic.fourier = 'S';
}

namespace {

// A report line of a range: its label, the two ends and a "-" between them.
FreeFormRecord range_record(std::string_view label, float from, float to) {
  FreeFormRecord record;
  record.add_text(label).add_real(from).add_text("-").add_real(to);
  return record;
}

}  // namespace

void choose_transform(Run& run) {
  if (run.logic.fourier != 'S') return;
  Console& console = run.console;
  console.record(FreeFormRecord().add_text(" ... Calculating Fourier Transform"));
  run.akmin = 2.5f;
  run.akmax = run.exafs.k(run.data.n - 1);
  console.record(range_record(" ... k-range: ", run.akmin, run.akmax));
  run.dk = 0.5f;
  run.wh = 2.0f;
  console.record(
      FreeFormRecord().add_text(" ... window term. and weight: ").add_real(run.dk).add_real(run.wh));
  run.rmin = 0.0f;
  run.rmax = 10.0f;
  console.record(range_record(" ... Range R: ", run.rmin, run.rmax));
  run.dr = 0.02f;
  run.fourie.n = static_cast<int>((run.rmax - run.rmin) / run.dr);
}

}  // namespace xas
