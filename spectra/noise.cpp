#include "spectra/noise.h"

#include <cmath>

#include "background/powers.h"
#include "background/simq.h"
#include "common/freeform_write.h"
#include "common/text_out.h"
#include "common/layout.h"

namespace xas {

Intervals plan_intervals(int n, int jp0) {
  Intervals plan;
  plan.ninter = static_cast<int>(std::lround(static_cast<float>(n - jp0) / 20.0f));
  if (plan.ninter <= 0) {
    plan.ninter = 0;
    return plan;
  }
  plan.npitv = (n - jp0) / plan.ninter;
  plan.nshow = static_cast<int>(static_cast<float>(plan.ninter) / 10.0f + 1.0f);
  return plan;
}

void interval_range(const Intervals& plan, int m, int n, int jp0, int* mp0, int* mp1) {
  *mp0 = plan.npitv * (m - 1) + jp0;
  *mp1 = m == plan.ninter ? n : plan.npitv * m + jp0;
}

double noise_fit(Data& data, int mp0, int mp1, float eb, float s, bool* singular) {
  double a[5][5] = {};  // a[q][p]: column q, row p, as the solver takes it
  double c[5] = {};
  auto x_of = [&](int j) { return (data.energy(j) - eb) + s; };
  for (int j = mp0; j <= mp1; ++j) {
    const float x = x_of(j);
    const double b[5] = {1.0, x, ipow(x, 2), ipow(x, 3), ipow(x, 4)};
    for (int p = 0; p < 5; ++p) {
      for (int q = p; q < 5; ++q) a[q][p] += b[p] * b[q];
      c[p] += b[p] * static_cast<double>(data.abs_lin(j));
    }
  }
  for (int p = 0; p < 5; ++p)
    for (int q = 0; q < p; ++q) a[q][p] = a[p][q];
  *singular = simq(&a[0][0], c, 5) == 1;

  double sum = 0.0;
  for (int j = mp0; j <= mp1; ++j) {
    const float x = x_of(j);
    const float x2 = x * x;
    const float x3 = ipow(x, 3);
    const float x4 = ipow(x, 4);
    const float r = static_cast<float>(static_cast<double>(data.abs_lin(j)) - c[0] - x * c[1] -
                                       x2 * c[2] - x3 * c[3] - x4 * c[4]);
    data.noise(j) = std::fabs(r);
    sum += r * r;
  }
  const int nppe = mp1 - mp0 + 1;
  return std::sqrt(sum / (nppe - 5));
}

namespace {

// Keeps a fitted range for the noise plot.
void keep_range(const Data& data, int mp0, int mp1, float rms, NoiseEstimate& estimate) {
  NoiseRange range;
  range.mp0 = mp0;
  range.mp1 = mp1;
  range.rms = rms;
  range.residuals.assign(data.noise.begin() + (mp0 - 1), data.noise.begin() + mp1);
  estimate.ranges.push_back(std::move(range));
}

}  // namespace

void estimate_noise(float e0, Data& data, TextOut& screen, NoiseEstimate& estimate) {
  const int n = data.n;
  bool singular = false;
  estimate.ranges.clear();
  estimate.averaged = false;
  estimate.sxave = 0.0f;

  // The pre-edge range: point 1 up to the first point at or above 0.9975 E0.
  const float below = 0.9975f * e0;
  int jp1 = 1;
  while (jp1 < n && !(data.energy(jp1) >= below)) ++jp1;
  double rms = noise_fit(data, 1, jp1, data.energy(1), 1.0f, &singular);
  if (singular) screen.record(FreeFormRecord().add_text(">>> singular matrix!!!!!"));
  screen.record(FreeFormRecord()
                     .add_integer(1)
                     .add_integer(jp1)
                     .add_text(" r m s noise = ")
                     .add_real(static_cast<float>(rms)));
  keep_range(data, 1, jp1, static_cast<float>(rms), estimate);

  // The intervals from the first point at or above 1.0025 E0; n + 1 when no
  // point lies that high, which leaves no interval.
  const float above = 1.0025f * e0;
  int jp0 = 1;
  while (jp0 <= n && !(data.energy(jp0) >= above)) ++jp0;
  screen.record(FreeFormRecord().add_text(" noise evaluation from point ").add_integer(jp0));
  const Intervals plan = plan_intervals(n, jp0);
  if (plan.ninter <= 0) return;
  screen.record(
      FreeFormRecord().add_text(" in ").add_integer(plan.ninter).add_text("  intervals"));

  static const Layout kIntervalLine(
      "(' >>> int. n.',I3,' (',I5,'-',I5,' ) r m s noise =          ',E12.7)");
  int shown = 0;
  float sxave = 0.0f;
  for (int m = 1; m <= plan.ninter; ++m) {
    int mp0 = 0, mp1 = 0;
    interval_range(plan, m, n, jp0, &mp0, &mp1);
    // Measured from the point just before the interval (the first point when
    // the interval starts there).
    const float eb = data.energy(mp0 > 1 ? mp0 - 1 : 1);
    rms = noise_fit(data, mp0, mp1, eb, 0.0f, &singular);
    if (singular) screen.record(FreeFormRecord().add_text("singular matrix!!!!!"));
    if (++shown == plan.nshow) {
      screen.lines(kIntervalLine.format({m, mp0, mp1, static_cast<float>(rms)}));
      shown = 0;
    }
    sxave = static_cast<float>(sxave + rms);
    keep_range(data, mp0, mp1, static_cast<float>(rms), estimate);
  }
  sxave = sxave / static_cast<float>(plan.ninter);
  screen.record(FreeFormRecord().add_text(" >>> average r m s noise = ").add_real(sxave));
  estimate.averaged = true;
  estimate.sxave = sxave;
}

}  // namespace xas
