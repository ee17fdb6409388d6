#include "background/fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "background/simq.h"
#include "common/freeform_write.h"
#include "common/message_text.h"
#include "common/warnings.h"
#include "common/text_out.h"

namespace xas {

namespace {

// A background fit over fewer points than twice its parameters, or over
// less than this energy range (keV), is computed with a warning.
constexpr float kShortFitRange = 0.01f;

// An edge jump above this many times the range of the absorption is refused.
constexpr float kRunawayJump = 5.0f;

}  // namespace

void choose_segments(const Data& data, float e0, Model& model, Background& background) {
  Spl0& spl0 = model.spl0;
  Spl1& spl1 = model.spl1;
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
  background.whf = 2.0f;
  for (int s = 1; s <= spl0.nsp; ++s) spl1.ideg(s) = 3;
  model.spll.mode = 'S';
}

int pre_edge_line(const Data& data, float e1, Background& background) {
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
  background.pre_last = j + 1;
  double det = se2 * j - se * se;
  background.aa = static_cast<float>((sae * j - sa * se) / det);
  background.bb = static_cast<float>((se2 * sa - sae * se) / det);
  return j;
}

namespace {

// The basis values of the model at point i (single terms widened to double).
void basis(const Data& data, const Model& model, int i, double* ff) {
  const Spl0& spl0 = model.spl0;
  const Spl1& spl1 = model.spl1;
  const float e = data.energy(i);
  const float ec = e - spl0.e0;
  int kt = 0;
  ff[kt++] = static_cast<double>(edge_term(ec, spl0.e0));
  for (int p = 2; p <= spl1.ideg(1); ++p) ff[kt++] = static_cast<double>(ipow(ec, p));
  for (int s = 2; s <= spl0.nsp; ++s) {
    float d = e - spl1.xk(s);
    if (d < 0.0f) d = 0.0f;
    for (int p = 2; p <= spl1.ideg(s) + 1; ++p) ff[kt++] = static_cast<double>(ipow(d, p));
  }
}

void report(const Edge& edge, const Background& background, TextOut& screen) {
  const float ajump = background.ajump;
  screen.record(FreeFormRecord().add_text("EDGE= ").add_real(edge.e0 * 1000.0f));
  screen.record(FreeFormRecord().add_text("SLOPE=").add_real(edge.slp / ajump));
  screen.record(FreeFormRecord().add_text("JUMP= ").add_real(ajump));
  screen.record(FreeFormRecord().add_text("EWL=  ").add_real(edge.ewl * 1000.0f));
  screen.record(FreeFormRecord().add_text("hwl=  ").add_real(edge.wl / ajump));
}

}  // namespace

bool fit_background(const Edge& edge, const PointValues& k, Data& data, Deriv& deriv, Logic& logic,
                    Model& model, Background& background, TextOut& screen, Warnings& warnings,
                    std::string* err) {
  Spl0& spl0 = model.spl0;
  Spl1& spl1 = model.spl1;
  auto& coef = model.spl2.coef;
  const int n = data.n;
  spl0.e0 = edge.e0;
  const float e0 = spl0.e0;

  const float e1 = e0 - e0 * 0.005f;
  logic.fit = 'S';
  choose_segments(data, e0, model, background);

  // Through a single point the line rests on rounding: its determinant is
  // the difference of two roundings of that energy squared. Where that is not
  // zero the line is computed as for any other range, with a warning.
  const int pre_edge_points = pre_edge_line(data, e1, background);
  const float aa = background.aa, bb = background.bb;
  if (!std::isfinite(aa) || !std::isfinite(bb)) {
    const std::string points =
        pre_edge_points == 1
            ? "point 2 alone (" + ev(data.energy(2)) + ")"
            : "points 2 to " + std::to_string(pre_edge_points + 1) + " (" + ev(data.energy(2)) +
                  " to " + ev(data.energy(pre_edge_points + 1)) + ")";
    *err = "no pre-edge line: its fit over " + points + " is singular";
    return false;
  }
  if (pre_edge_points == 1)
    warnings.add("the pre-edge line rests on one point: point 2 (" + ev(data.energy(2)) +
                 ") already lies above E0 less 0.5 % (" + ev(e1) + ")");
  for (int i = 1; i <= n; ++i) {
    data.abs_lin(i) = (data.absorption(i) - aa * data.energy(i)) - bb;
    deriv.slope(i) = deriv.slope(i) - aa;
  }

  spl0.npar = spl1.ideg(1);
  for (int s = 2; s <= spl0.nsp; ++s) {
    spl1.ideg(s) = spl1.ideg(s) - 1;
    spl0.npar = spl0.npar + spl1.ideg(s);
  }
  screen.record(FreeFormRecord().add_text(" >>> total number of bckg par.:").add_integer(spl0.npar));
  screen.record(FreeFormRecord().add_text(" >>> number of diff. splines:").add_integer(spl0.nsp));
  FreeFormRecord degrees;
  degrees.add_text(" >>> degrees of the splines:");
  for (int s = 1; s <= spl0.nsp; ++s) degrees.add_integer(spl1.ideg(s));
  screen.record(degrees);

  // Normal equations over the points above xk(1), weighted by k^whf.
  const int npar = spl0.npar;
  double as[kMaxCoefficients][kMaxCoefficients] = {};
  for (int it = 1; it <= kMaxCoefficients; ++it) coef(it) = 0.0;
  int& imin = background.imin;
  imin = 1;
  while (imin <= n && !(data.energy(imin) > spl1.xk(1))) ++imin;
  int fitted = 0;
  int i = imin;
  for (; i <= n; ++i) {
    const float w = real_power(k(i), background.whf);
    double ff[kMaxCoefficients];
    basis(data, model, i, ff);
    const double al = data.abs_lin(i);
    for (int it = 0; it < npar; ++it) coef(it + 1) = coef(it + 1) + w * (al * ff[it]);
    for (int it = 0; it < npar; ++it)
      for (int jt = it; jt < npar; ++jt) as[it][jt] = as[it][jt] + w * (ff[it] * ff[jt]);
    ++fitted;
    if (!(i < n && data.energy(i) <= spl1.xk(spl0.nsp + 1))) break;
  }
  // A background needs at least as many points as terms. Few points, or a
  // short range of energy, leave the polynomial, extrapolated to the edge,
  // to set the jump: worth a second look.
  if (fitted < npar) {
    *err = "too few points more than 30 eV above the edge to fit the background: " +
           std::to_string(fitted) + " for " + std::to_string(npar) + " parameters";
    return false;
  }
  const float span = data.energy(i) - data.energy(imin);
  if (fitted < 2 * npar || !(span >= kShortFitRange)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f eV", static_cast<double>(span) * 1000.0);
    warnings.add("the background is fitted to " + std::to_string(fitted) + " points over " + buf +
                 " (" + ev(data.energy(imin)) + " to " + ev(data.energy(i)) + ") for " +
                 std::to_string(npar) + " parameters: the edge jump rests on a short range");
  }
  background.imax = i - 1;

  double cc[kMaxCoefficients * kMaxCoefficients];
  for (int it = 0; it < npar; ++it)
    for (int jt = 0; jt < it; ++jt) as[it][jt] = as[jt][it];
  for (int c = 0; c < npar; ++c)
    for (int r = 0; r < npar; ++r) cc[c * npar + r] = as[r][c];
  double solution[kMaxCoefficients];
  for (int it = 0; it < npar; ++it) solution[it] = coef(it + 1);
  int flag = simq(cc, solution, npar);
  for (int it = 0; it < npar; ++it) coef(it + 1) = solution[it];
  background.ajump = static_cast<float>(coef(1));
  if (flag == 1) {
    screen.record(FreeFormRecord().add_text("Singular matrix!!!!!"));
    if (std::isfinite(background.ajump))
      warnings.add("the background fit is singular: its coefficients, and the edge jump, rest on"
                   " an incomplete solution");
  }

  report(edge, background, screen);
  return true;
}

bool check_jump(const Data& data, const Background& background, std::string* err) {
  const float ajump = background.ajump;
  if (!(ajump > 0.0f && std::isfinite(ajump))) {
    *err = "the background fit gives an edge jump of " + std::to_string(ajump) +
           ": no absorption edge to normalise to";
    return false;
  }
  // The jump is the background's step at E0; it cannot be many times the
  // whole range the absorption spans unless the fit ran away.
  float low = data.absorption(1), high = data.absorption(1);
  for (int i = 2; i <= data.n; ++i) {
    low = std::min(low, data.absorption(i));
    high = std::max(high, data.absorption(i));
  }
  const float range = high - low;
  if (ajump > kRunawayJump * range) {
    char buf[160];
    std::snprintf(buf, sizeof buf,
                  "the background fit ran away: an edge jump of %g where the"
                  " absorption spans only %g",
                  static_cast<double>(ajump), static_cast<double>(range));
    *err = buf;
    return false;
  }
  return true;
}

}  // namespace xas
