#include "background/edge.h"

#include <cmath>
#include <cstdio>

#include "background/simq.h"
#include "driver/freeform_write.h"
#include "driver/message_text.h"
#include "driver/run.h"

namespace xas {

namespace {

// Step 1: the derivative spectrum. Returns the index of the steepest slope.
int derivative(Run& run) {
  const Data& data = run.data;
  Deriv& deriv = run.deriv;
  const int n = data.n;
  const float elast = data.energy(n);
  int i = 1;
  int m = 1;
  int last = 0;  // last slope computed
  while (i < n) {
    // Equal neighbouring energies give no slope; the scan goes on from the
    // next distinct energy, never past the last point.
    while (i < n - 1 && data.energy(i + 1) == data.energy(i)) ++i;
    if (data.energy(i + 1) == data.energy(i)) break;
    deriv.slope(i) = (data.absorption(i + 1) - data.absorption(i)) /
                     (data.energy(i + 1) - data.energy(i));
    deriv.emid(i) = (data.energy(i) + data.energy(i + 1)) / 2.0f;
    if (deriv.slope(i) > deriv.slope(m)) m = i;
    last = i;
    ++i;
    if (data.energy(i) > elast) break;
  }
  deriv.n = last;
  return m;
}

void flag_precision(Run& run, int flag) {
  if (flag == 1) run.console.record(FreeFormRecord().add_text("insufficient precision!!!"));
}

// Step 5: the white line from a parabola through the absorption at points
// c-1, c and c+1, around the first estimate in run.ewl.
void white_line_parabola(Run& run, int c) {
  const Data& data = run.data;
  double ax[9];
  double b[3];
  for (int r = 1; r <= 3; ++r) {
    int j = c - 2 + r;
    double x = static_cast<double>(data.energy(j) - run.ewl);
    ax[0 * 3 + (r - 1)] = x * x;
    ax[1 * 3 + (r - 1)] = x;
    ax[2 * 3 + (r - 1)] = 1.0;
    b[r - 1] = static_cast<double>(data.absorption(j));
  }
  flag_precision(run, simq(ax, b, 3));
  double p1 = b[0], p2 = b[1], p3 = b[2];
  float ewl0 = p1 != 0.0 ? static_cast<float>(-((p2 / 2.0) / p1)) : 0.0f;
  float q = ewl0 * ewl0;
  run.wl = static_cast<float>(p3 + (p1 * q + ewl0 * p2));
  run.ewl = run.ewl + ewl0;
}

// Step 6: E0 from a parabola through the derivative over the edge band.
// Returns the parabola's curvature (its x^2 coefficient): negative for a
// maximum.
double edge_parabola(Run& run) {
  const Data& data = run.data;
  const Deriv& deriv = run.deriv;
  const int i1 = run.i1, i2 = run.i2;
  auto xmid = [&](int j) { return (data.energy(j) + data.energy(j + 1)) / 2.0f - run.emax; };
  double ax[9];
  double b[3];
  if (i2 - i1 == 2) {
    for (int r = 1; r <= 3; ++r) {
      int j = i1 + r - 1;
      double x = static_cast<double>(xmid(j));
      ax[0 * 3 + (r - 1)] = x * x;
      ax[1 * 3 + (r - 1)] = x;
      ax[2 * 3 + (r - 1)] = 1.0;
      b[r - 1] = static_cast<double>(deriv.slope(j));
    }
  } else {
    double sx = 0, sx2 = 0, sx3 = 0, sx4 = 0, sy = 0, sxy = 0, sx2y = 0;
    for (int j = i1; j <= i2; ++j) {
      float x = xmid(j);
      float y = deriv.slope(j);
      float x2 = x * x;
      sx += x;
      sx2 += x2;
      sx3 += x2 * x;
      sx4 += x2 * x2;
      sy += y;
      sxy += x * y;
      sx2y += y * x2;
    }
    double count = i2 - i1 + 1;
    double rows[3][3] = {{sx4, sx3, sx2}, {sx3, sx2, sx}, {sx2, sx, count}};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) ax[c * 3 + r] = rows[r][c];
    b[0] = sx2y;
    b[1] = sxy;
    b[2] = sy;
  }
  const int singular = simq(ax, b, 3);
  flag_precision(run, singular);
  if (singular == 1)
    run.console.defer_warning("the parabola through the derivative over the edge band is singular;"
                        " the edge energy rests on an incomplete solution");
  double q1 = b[0], q2 = b[1], q3 = b[2];
  float offset = static_cast<float>(-((q2 / 2.0) / q1));
  run.slp = static_cast<float>(q3 + (q1 * (offset * offset) + offset * q2));
  run.model.spl0.e0 = run.emax + offset;
  return q1;
}

// The edge energy is the vertex of the derivative parabola. It is refused
// where it means nothing: no vertex, a vertex outside the data, a minimum
// outside the edge band, or a maximum past the white line by more than the
// white line stands above the foot of the band. A vertex that
// stands outside the band but near it (as when the steepest slope is the top
// of a band widened downwards), or a minimum inside the band, is kept with a
// warning.
bool check_edge_energy(Run& run, double curvature, std::string* err) {
  const Data& data = run.data;
  const float e0 = run.model.spl0.e0;
  const float low = data.energy(run.i1), high = data.energy(run.i2 + 1);
  const std::string band = "the edge band (" + ev_range(low, high) + ")";
  if (!std::isfinite(e0)) {
    *err = "xasreduce: no edge energy: the parabola through the derivative over " + band +
           " has no vertex";
    return false;
  }
  if (e0 < data.energy(1) || e0 > data.energy(data.n)) {
    *err = "xasreduce: no edge energy: the vertex of the derivative parabola over " + band +
           " lies at " + ev(e0) + ", outside the data (" +
           ev_range(data.energy(1), data.energy(data.n)) + ")";
    return false;
  }
  const bool in_band = e0 >= low && e0 <= high;
  if (!(curvature < 0.0)) {
    if (!in_band) {
      *err = "xasreduce: no edge energy: the derivative has no maximum at its steepest rise (its"
             " parabola over " + band + " has a minimum, at " + ev(e0) + ")";
      return false;
    }
    run.console.defer_warning("the derivative parabola over " + band +
                        " has a minimum, not a maximum: the edge energy " + ev(e0) +
                        " is that minimum");
    return true;
  }
  if (in_band) return true;
  // Past the white line by more than the white line stands above the foot
  // of the band, the vertex belongs to no feature of the edge.
  const float reach = run.ewl + (run.ewl - low);
  if (e0 > reach) {
    *err = "xasreduce: no edge energy: the maximum of the derivative parabola over " + band +
           " lies at " + ev(e0) + ", past the white line at " + ev(run.ewl) +
           " by more than the white line stands above the band";
    return false;
  }
  const float off = e0 > high ? e0 - high : low - e0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f eV", static_cast<double>(off) * 1000.0);
  run.console.defer_warning("the edge energy " + ev(e0) + " lies " + buf +
                      (e0 > high ? " above " : " below ") + band + " that locates it");
  return true;
}

}  // namespace

bool locate_edge(Run& run, std::string* err) {
  const Data& data = run.data;
  Deriv& deriv = run.deriv;
  const int n = data.n;
  if (n < 4) {
    *err = "xasreduce: " + std::to_string(n) + " data points are too few to locate an edge";
    return false;
  }
  if (!(data.energy(n) > data.energy(1))) {
    *err = "xasreduce: the energies do not rise from the first point to the last";
    return false;
  }

  int m = derivative(run);
  run.emax = deriv.emid(m);
  run.apm = deriv.slope(m);
  if (!(run.apm > 0.0f)) {
    *err = "xasreduce: no absorption edge: the absorption never rises";
    return false;
  }

  // The edge band: the slopes on both sides of the steepest one that stay
  // above 80 % of it. Each scan stops at the end of the data; a band cut
  // there still locates the edge if its parabola has a vertex near it.
  const float tol = 0.8f;
  const float threshold = run.apm * tol;
  int below = m - 1;
  while (below >= 1 && !(deriv.slope(below) <= threshold)) --below;
  int above = m + 1;
  while (above <= deriv.n && !(deriv.slope(above) <= threshold)) ++above;
  run.i1 = below + 1;
  run.i2 = above - 1;
  int count = run.i2 - run.i1 + 1;
  if (count < 3) {
    --run.i1;
    if (count == 1) ++run.i2;
  }
  if (run.i1 < 1 || run.i2 > deriv.n) {
    *err = "xasreduce: no edge band: the steepest rise (at " + ev(run.emax) +
           ") is too close to the " + (run.i1 < 1 ? "first" : "last") +
           " point of the data for the three slopes its parabola needs";
    return false;
  }
  // Cut at the top, the band would have no fall above it: the white line
  // below refuses that.
  if (below < 1)
    run.console.defer_warning("the edge band reaches the first point of the data: the steepest"
                              " rise (at " + ev(run.emax) +
                              ") does not fall below 80 % of it before the data begin");

  // The white line: the first negative slope at or above the steepest one.
  int c = m;
  while (c <= deriv.n && !(deriv.slope(c) < 0.0f)) ++c;
  if (c > deriv.n) {
    *err = "xasreduce: no white line: the absorption never falls above the edge";
    return false;
  }
  run.ewl = (deriv.emid(c - 1) * deriv.slope(c) - deriv.emid(c) * deriv.slope(c - 1)) /
            (deriv.slope(c) - deriv.slope(c - 1));
  white_line_parabola(run, c);

  const float curvature = edge_parabola(run);
  return check_edge_energy(run, curvature, err);
}

}  // namespace xas
