#include "background/fit.h"

#include <cmath>
#include <limits>

#include "background/simq.h"
#include "driver/freeform_write.h"
#include "driver/run.h"

namespace xas {

namespace {

// Shortest energy range (keV) the background fit may span.
constexpr float kMinFitRange = 0.02f;

}  // namespace

void choose_segments(Run& run) {
  const Data& data = run.data;
  Spl0& spl0 = run.model.spl0;
  Spl1& spl1 = run.model.spl1;
  const float e0 = spl0.e0;
  const float en = data.energy(data.n);
  const float des = en - e0;

  // Each row whose condition holds replaces the rows before it.
  struct Row {
    float above;  // des must exceed this (none for the first row)
    int nsp;
    float fractions[4];
  };
  static const Row kRows[] = {
      {-std::numeric_limits<float>::infinity(), 1, {}},
      {0.2f, 2, {0.35f}},
      {0.5f, 3, {0.2f, 0.5f}},
      {0.9f, 4, {0.1f, 0.25f, 0.55f}},
      {1.3f, 5, {0.08f, 0.2f, 0.45f, 0.75f}},
  };
  const Row* chosen = &kRows[0];
  for (const Row& row : kRows)
    if (des > row.above) chosen = &row;

  spl0.nsp = chosen->nsp;
  spl1.xk(1) = e0 + 0.03f;
  for (int s = 2; s <= spl0.nsp; ++s) spl1.xk(s) = e0 + chosen->fractions[s - 2] * (en - e0);
  spl1.xk(spl0.nsp + 1) = en + 0.003f;
  run.whf = 2.0f;
  for (int s = 1; s <= spl0.nsp; ++s) spl1.ideg(s) = 3;
  run.model.spll.mode = 'S';
}

int pre_edge_line(Run& run, float e1) {
  Data& data = run.data;
  double se = 0, se2 = 0, sae = 0, sa = 0;
  int j = 0;
  for (int i = 2; i <= data.n; ++i) {
    float e = data.energy(i);
    float a = data.absorption(i);
    se += e;
    se2 += e * e;
    sae += a * e;
    sa += a;
    ++j;
    if (e > e1) break;
  }
  if (j < 2) return j;
  double det = se2 * j - se * se;
  if (det == 0.0) return 0;
  run.aa = static_cast<float>((sae * j - sa * se) / det);
  run.bb = static_cast<float>((se2 * sa - sae * se) / det);
  return j;
}

namespace {

// The basis values of the model at point i (single terms widened to double).
void basis(const Run& run, int i, double* ff) {
  const Spl0& spl0 = run.model.spl0;
  const Spl1& spl1 = run.model.spl1;
  const float e = run.data.energy(i);
  const float ec = e - spl0.e0;
  int kt = 0;
  ff[kt++] = static_cast<double>(1.0f - (2.6666667f * ec) / spl0.e0);
  for (int p = 2; p <= spl1.ideg(1); ++p) ff[kt++] = static_cast<double>(ipow(ec, p));
  for (int s = 2; s <= spl0.nsp; ++s) {
    float d = e - spl1.xk(s);
    if (d < 0.0f) d = 0.0f;
    for (int p = 2; p <= spl1.ideg(s) + 1; ++p) ff[kt++] = static_cast<double>(ipow(d, p));
  }
}

void report(Run& run) {
  Console& console = run.console;
  const float e0 = run.model.spl0.e0;
  console.record(FreeFormRecord().add_text("EDGE= ").add_real(e0 * 1000.0f));
  console.record(FreeFormRecord().add_text("SLOPE=").add_real(run.slp / run.ajump));
  console.record(FreeFormRecord().add_text("JUMP= ").add_real(run.ajump));
  console.record(FreeFormRecord().add_text("EWL=  ").add_real(run.ewl * 1000.0f));
  console.record(FreeFormRecord().add_text("hwl=  ").add_real(run.wl / run.ajump));
}

}  // namespace

bool fit_background(Run& run, std::string* err) {
  Data& data = run.data;
  Spl0& spl0 = run.model.spl0;
  Spl1& spl1 = run.model.spl1;
  auto& coef = run.model.spl2.coef;
  const int n = data.n;
  const float e0 = spl0.e0;

  const float e1 = e0 - e0 * 0.005f;
  run.logic.fit = 'S';
  choose_segments(run);

  if (pre_edge_line(run, e1) < 2) {
    *err = "xasreduce: too few points below the edge for the pre-edge line: two are needed below " +
           std::to_string(e1 * 1000.0f) + " eV";
    return false;
  }
  for (int i = 1; i <= n; ++i) {
    data.abs_lin(i) = (data.absorption(i) - run.aa * data.energy(i)) - run.bb;
    run.deriv.slope(i) = run.deriv.slope(i) - run.aa;
  }

  spl0.npar = spl1.ideg(1);
  for (int s = 2; s <= spl0.nsp; ++s) {
    spl1.ideg(s) = spl1.ideg(s) - 1;
    spl0.npar = spl0.npar + spl1.ideg(s);
  }
  Console& console = run.console;
  console.record(FreeFormRecord().add_text(" >>> total number of bckg par.:").add_integer(spl0.npar));
  console.record(FreeFormRecord().add_text(" >>> number of diff. splines:").add_integer(spl0.nsp));
  FreeFormRecord degrees;
  degrees.add_text(" >>> degrees of the splines:");
  for (int s = 1; s <= spl0.nsp; ++s) degrees.add_integer(spl1.ideg(s));
  console.record(degrees);

  // Normal equations over the points above xk(1), weighted by k^whf.
  const int npar = spl0.npar;
  double as[kMaxCoefficients][kMaxCoefficients] = {};
  for (int it = 1; it <= kMaxCoefficients; ++it) coef(it) = 0.0;
  run.imin = 1;
  while (run.imin <= n && !(data.energy(run.imin) > spl1.xk(1))) ++run.imin;
  int fitted = 0;
  int i = run.imin;
  for (; i <= n; ++i) {
    const float w = real_power(run.exafs.k(i), run.whf);
    double ff[kMaxCoefficients];
    basis(run, i, ff);
    const double al = data.abs_lin(i);
    for (int it = 0; it < npar; ++it) coef(it + 1) = coef(it + 1) + w * (al * ff[it]);
    for (int it = 0; it < npar; ++it)
      for (int jt = it; jt < npar; ++jt) as[it][jt] = as[it][jt] + w * (ff[it] * ff[jt]);
    ++fitted;
    if (!(i < n && data.energy(i) <= spl1.xk(spl0.nsp + 1))) break;
  }
  // A background needs more points than terms, spread over some range: from
  // less than 20 eV of data the polynomial, extrapolated to the edge, sets
  // the jump by chance.
  if (fitted < npar) {
    *err = "xasreduce: too few points more than 30 eV above the edge to fit the background: " +
           std::to_string(fitted) + " for " + std::to_string(npar) + " parameters";
    return false;
  }
  if (!(data.energy(i) - data.energy(run.imin) >= kMinFitRange)) {
    *err = "xasreduce: the data end less than 20 eV beyond the start of the background fit"
           " (E0 + 30 eV): too short a range to fit the background";
    return false;
  }
  run.imax = i - 1;

  double cc[kMaxCoefficients * kMaxCoefficients];
  for (int it = 0; it < npar; ++it)
    for (int jt = 0; jt < it; ++jt) as[it][jt] = as[jt][it];
  for (int c = 0; c < npar; ++c)
    for (int r = 0; r < npar; ++r) cc[c * npar + r] = as[r][c];
  double solution[kMaxCoefficients];
  for (int it = 0; it < npar; ++it) solution[it] = coef(it + 1);
  int flag = simq(cc, solution, npar);
  for (int it = 0; it < npar; ++it) coef(it + 1) = solution[it];
  run.ajump = static_cast<float>(coef(1));
  if (flag == 1) console.record(FreeFormRecord().add_text("Singular matrix!!!!!"));

  report(run);
  return true;
}

bool check_jump(const Run& run, std::string* err) {
  if (run.ajump > 0.0f && std::isfinite(run.ajump)) return true;
  *err = "xasreduce: the background fit gives an edge jump of " + std::to_string(run.ajump) +
         ": no absorption edge to normalise to";
  return false;
}

}  // namespace xas
