#include "spectra/signal.h"

#include <cmath>

#include "common/freeform_write.h"
#include "common/text_out.h"

namespace xas {

float normalisation(float d, float e0, float k, float pi) {
  if (k == 0.0f) return edge_term(d, e0);
  const float x = d / e0;
  const float u = std::sqrt(x);
  const float t = std::exp(-(4.0f / u) * std::atan(u));
  const float x1 = 1.0f + x;
  const float x1_4 = (x1 * x1) * (x1 * x1);
  const float two_pi = 2.0f * pi;
  return ((t / 0.01831564f) / x1_4) / (1.0f - std::exp(-two_pi / u));
}

void extract_signal(const Data& data, const Model& model, const Background& background,
                    Logic& logic, Exafs& exafs, Normalised& normalised, TextOut& screen) {
  const float e0 = model.spl0.e0;
  const float ajump = background.ajump;
  normalised.examax = 0.0f;
  normalised.fit.zero(data.n);
  normalised.anor.zero(data.n);
  if (logic.fit == 'S') {
    screen.record(FreeFormRecord().add_text(" ... Hydrogen-like exact normalization"));
    for (int i = 1; i <= data.n; ++i) {
      const float d = data.energy(i) - e0;
      float s = 0.0f;
      spline(model, d, s);
      const float bck = background.bb + (background.aa * data.energy(i) + s);
      normalised.fit(i) = bck;
      const float anorm = normalisation(d, e0, exafs.k(i), kPi);
      exafs.chi(i) = ((data.absorption(i) - bck) / ajump) / anorm;
      normalised.anor(i) = ajump * anorm;
      if (d < 0.0f) exafs.chi(i) = 0.0f;
      if (exafs.k(i) > 3.0f && i >= background.imin && i <= background.imax) {
        const float magnitude = std::fabs(exafs.chi(i));
        if (magnitude > normalised.examax) normalised.examax = magnitude;
      }
    }
  }
  exafs.n = data.n;
  logic.fourier = 'S';
}

namespace {

// A report line of a range: its label, the two ends and a "-" between them.
FreeFormRecord range_record(std::string_view label, float from, float to) {
  FreeFormRecord record;
  record.add_text(label).add_real(from).add_text("-").add_real(to);
  return record;
}

}  // namespace

void choose_transform(const Data& data, const Exafs& exafs, const Logic& logic,
                      TransformParams& params, TextOut& screen, const TransformChoice& choice) {
  if (logic.fourier != 'S') return;
  auto given = [](float value, float own) { return std::isnan(value) ? own : value; };
  screen.record(FreeFormRecord().add_text(" ... Calculating Fourier Transform"));
  params.akmin = given(choice.kmin, 2.5f);
  params.akmax = given(choice.kmax, exafs.k(data.n - 1));
  screen.record(range_record(" ... k-range: ", params.akmin, params.akmax));
  params.dk = given(choice.dk, 0.5f);
  params.wh = given(choice.kweight, 2.0f);
  screen.record(FreeFormRecord()
                    .add_text(" ... window term. and weight: ")
                    .add_real(params.dk)
                    .add_real(params.wh));
  params.rmin = 0.0f;
  params.rmax = given(choice.rmax, 10.0f);
  screen.record(range_record(" ... Range R: ", params.rmin, params.rmax));
  params.dr = 0.02f;
  params.n = static_cast<int>((params.rmax - params.rmin) / params.dr);
}

}  // namespace xas
