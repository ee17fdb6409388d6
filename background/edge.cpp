#include "background/edge.h"

#include <cmath>

#include "background/simq.h"
#include "driver/freeform_write.h"
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
void edge_parabola(Run& run) {
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
  flag_precision(run, simq(ax, b, 3));
  double q1 = b[0], q2 = b[1], q3 = b[2];
  float offset = static_cast<float>(-((q2 / 2.0) / q1));
  run.slp = static_cast<float>(q3 + (q1 * (offset * offset) + offset * q2));
  run.model.spl0.e0 = run.emax + offset;
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
  // above 80 % of it.
  const float tol = 0.8f;
  const float threshold = run.apm * tol;
  int below = m - 1;
  while (below >= 1 && !(deriv.slope(below) <= threshold)) --below;
  int above = m + 1;
  while (above <= deriv.n && !(deriv.slope(above) <= threshold)) ++above;
  if (below < 1 || above > deriv.n) {
    *err = "xasreduce: no clear absorption edge: the steepest rise does not fall off on both sides"
           " within the data";
    return false;
  }
  run.i1 = below + 1;
  run.i2 = above - 1;
  int count = run.i2 - run.i1 + 1;
  if (count < 3) {
    --run.i1;
    if (count == 1) ++run.i2;
  }

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

  // The vertex of the derivative parabola must stand among the points of the
  // edge band; elsewhere (a parabola without a maximum there, or none at
  // all) it is no edge energy.
  edge_parabola(run);
  const float e0 = run.model.spl0.e0;
  if (!(e0 >= data.energy(run.i1) && e0 <= data.energy(run.i2 + 1))) {
    *err = "xasreduce: no edge energy: the derivative has no maximum at its steepest rise";
    return false;
  }
  return true;
}

}  // namespace xas
