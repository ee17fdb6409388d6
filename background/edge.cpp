#include "background/edge.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "background/simq.h"
#include "common/freeform_write.h"
#include "common/message_text.h"
#include "common/warnings.h"
#include "common/text_out.h"

namespace xas {

namespace {

// Step 1: the derivative spectrum. Returns the index of the steepest slope.
int derivative(const Data& data, Deriv& deriv) {
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

// The parabola y = p1*x^2 + p2*x + p3 through three points: rows (x^2, x, 1)
// with x and x^2 in double, solved in place; b receives (p1, p2, p3). A
// singular system prints its message and leaves b as the solver left it.
bool parabola_through(const double x[3], const double y[3], double b[3], TextOut& screen) {
  double ax[9];
  for (int r = 0; r < 3; ++r) {
    ax[0 * 3 + r] = x[r] * x[r];
    ax[1 * 3 + r] = x[r];
    ax[2 * 3 + r] = 1.0;
    b[r] = y[r];
  }
  const bool singular = simq(ax, b, 3) == 1;
  if (singular) screen.record(FreeFormRecord().add_text("insufficient precision!!!"));
  return !singular;
}

// Step 5: the white line from a parabola through the absorption at points
// c-1, c and c+1, around the first estimate in edge.ewl.
void white_line_parabola(const Data& data, int c, Edge& edge, TextOut& screen) {
  double x[3], y[3], b[3];
  for (int r = 0; r < 3; ++r) {
    const int j = c - 1 + r;
    x[r] = static_cast<double>(data.energy(j) - edge.ewl);
    y[r] = static_cast<double>(data.absorption(j));
  }
  parabola_through(x, y, b, screen);
  const double p1 = b[0], p2 = b[1], p3 = b[2];
  const float ewl0 = p1 != 0.0 ? static_cast<float>(-((p2 / 2.0) / p1)) : 0.0f;
  const float q = ewl0 * ewl0;
  edge.wl = static_cast<float>(p3 + (p1 * q + ewl0 * p2));
  edge.ewl = edge.ewl + ewl0;
}

// Step 6: E0 from a parabola through the derivative over the edge band.
// Returns the parabola's curvature (its x^2 coefficient): negative for a
// maximum.
double edge_parabola(const Data& data, const Deriv& deriv, Edge& edge, TextOut& screen,
                     Warnings& warnings) {
  const int i1 = edge.i1, i2 = edge.i2;
  auto xmid = [&](int j) { return (data.energy(j) + data.energy(j + 1)) / 2.0f - edge.emax; };
  double b[3];
  bool solved = true;
  if (i2 - i1 == 2) {
    double x[3], y[3];
    for (int r = 0; r < 3; ++r) {
      x[r] = static_cast<double>(xmid(i1 + r));
      y[r] = static_cast<double>(deriv.slope(i1 + r));
    }
    solved = parabola_through(x, y, b, screen);
  } else {
    double sx = 0, sx2 = 0, sx3 = 0, sx4 = 0, sy = 0, sxy = 0, sx2y = 0;
    for (int j = i1; j <= i2; ++j) {
      const float x = xmid(j);
      const float y = deriv.slope(j);
      const float x2 = x * x;
      sx += x;
      sx2 += x2;
      sx3 += x2 * x;
      sx4 += x2 * x2;
      sy += y;
      sxy += x * y;
      sx2y += y * x2;
    }
    const double count = i2 - i1 + 1;
    const double rows[3][3] = {{sx4, sx3, sx2}, {sx3, sx2, sx}, {sx2, sx, count}};
    double ax[9];
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) ax[c * 3 + r] = rows[r][c];
    b[0] = sx2y;
    b[1] = sxy;
    b[2] = sy;
    solved = simq(ax, b, 3) == 0;
    if (!solved) screen.record(FreeFormRecord().add_text("insufficient precision!!!"));
  }
  if (!solved)
    warnings.add("the parabola through the derivative over the edge band is singular;"
                 " the edge energy rests on an incomplete solution");
  const double q1 = b[0], q2 = b[1], q3 = b[2];
  const float offset = static_cast<float>(-((q2 / 2.0) / q1));
  edge.slp = static_cast<float>(q3 + (q1 * (offset * offset) + offset * q2));
  edge.e0 = edge.emax + offset;
  return q1;
}

// Whether the vertex of the derivative parabola is an edge energy to keep:
// a maximum inside the edge band, or close to it. Otherwise (no vertex, a
// minimum, a vertex far outside the band or past the white line by more than
// the white line stands above the band) *why says what it is. A maximum
// outside the band but close to it is kept with a warning.
bool sound_vertex(const Data& data, const Edge& edge, double curvature, Warnings& warnings,
                  std::string* why) {
  const float e0 = edge.e0;
  const float low = data.energy(edge.i1), high = data.energy(edge.i2 + 1);
  const std::string band = "the edge band (" + ev_range(low, high) + ")";
  if (!std::isfinite(e0)) {
    *why = "the parabola through the derivative over " + band + " has no vertex";
    return false;
  }
  if (e0 < data.energy(1) || e0 > data.energy(data.n)) {
    *why = "the vertex of the derivative parabola over " + band + " lies at " + ev(e0) +
           ", outside the data (" + ev_range(data.energy(1), data.energy(data.n)) + ")";
    return false;
  }
  const bool in_band = e0 >= low && e0 <= high;
  if (!(curvature < 0.0)) {
    *why = "the derivative parabola over " + band + " has a minimum, at " + ev(e0) +
           ", not a maximum";
    return false;
  }
  if (in_band) return true;
  const float reach = edge.ewl + (edge.ewl - low);
  if (e0 > reach) {
    *why = "the maximum of the derivative parabola over " + band + " lies at " + ev(e0) +
           ", past the white line at " + ev(edge.ewl) +
           " by more than the white line stands above the band";
    return false;
  }
  const float off = e0 > high ? e0 - high : low - e0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f eV", static_cast<double>(off) * 1000.0);
  if (!(off <= kCloseToBand)) {
    *why = "the maximum of the derivative parabola over " + band + " lies at " + ev(e0) + ", " +
           buf + (e0 > high ? " above" : " below") + " the band";
    return false;
  }
  warnings.add("the edge energy " + ev(e0) + " lies " + buf + (e0 > high ? " above " : " below ") +
               band + " that locates it");
  return true;
}

}  // namespace

SmoothEdge smooth_edge(const Data& data) {
  SmoothEdge edge;
  const int n = data.n;
  std::vector<double> slope(static_cast<std::size_t>(n) + 1, NAN);
  auto e = [&](int i) { return static_cast<double>(data.energy(i)); };
  for (int i = 2; i < n; ++i) {
    const double spacing = (e(i + 1) - e(i - 1)) / 2.0;
    const double h = std::max(0.0015, 2.5 * spacing);
    // The window: the points within h, and at least two on either side.
    int lo = i, hi = i;
    while (lo > 1 && (e(i) - e(lo - 1) <= h || i - lo < 2)) --lo;
    while (hi < n && (e(hi + 1) - e(i) <= h || hi - i < 2)) ++hi;
    if (i - lo < 2 || hi - i < 2) continue;
    // Least squares y = c0 + c1 x + c2 x^2 with x = e - e(i): c1 is the slope.
    double s[5] = {0, 0, 0, 0, 0}, t[3] = {0, 0, 0};
    for (int j = lo; j <= hi; ++j) {
      const double x = e(j) - e(i), y = data.absorption(j);
      double p = 1.0;
      for (int k = 0; k < 5; ++k, p *= x) {
        s[k] += p;
        if (k < 3) t[k] += p * y;
      }
    }
    double ax[9] = {s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]};
    double b[3] = {t[0], t[1], t[2]};
    if (simq(ax, b, 3) == 0 && std::isfinite(b[1])) slope[static_cast<std::size_t>(i)] = b[1];
  }
  int m = 0;
  for (int i = 2; i < n; ++i)
    if (std::isfinite(slope[i]) && (m == 0 || slope[i] > slope[m])) m = i;
  if (m == 0 || !(slope[m] > 0.0)) return edge;
  edge.found = true;
  edge.e0 = data.energy(m);
  edge.slope = static_cast<float>(slope[m]);
  // The vertex of the parabola through the steepest slope and its
  // neighbours, where it lies between them.
  if (m > 2 && m < n - 1 && std::isfinite(slope[m - 1]) && std::isfinite(slope[m + 1])) {
    const double x[3] = {e(m - 1) - e(m), 0.0, e(m + 1) - e(m)};
    const double y[3] = {slope[m - 1], slope[m], slope[m + 1]};
    double ax[9], b[3];
    for (int r = 0; r < 3; ++r) {
      ax[r] = x[r] * x[r];
      ax[3 + r] = x[r];
      ax[6 + r] = 1.0;
      b[r] = y[r];
    }
    if (simq(ax, b, 3) == 0 && b[0] < 0.0) {
      const double vertex = -b[1] / (2.0 * b[0]);
      if (vertex > x[0] && vertex < x[2]) {
        edge.e0 = static_cast<float>(e(m) + vertex);
        edge.slope = static_cast<float>(b[2] + vertex * (b[1] + vertex * b[0]));
      }
    }
  }
  return edge;
}

bool locate_edge(const Data& data, Deriv& deriv, Edge& edge, TextOut& screen, Warnings& warnings,
                 std::string* err, const EdgeRule& rule) {
  const int n = data.n;
  deriv.n = 0;
  // A slot skipped for equal energies keeps what it held: zero at the start
  // of a reduction.
  deriv.emid.resize(n);
  deriv.slope.resize(n);
  if (n < 4) {
    *err = std::to_string(n) + " data points are too few to locate an edge";
    return false;
  }
  if (!(data.energy(n) > data.energy(1))) {
    *err = "the energies do not rise from the first point to the last";
    return false;
  }

  const int m = derivative(data, deriv);
  edge.emax = deriv.emid(m);
  edge.apm = deriv.slope(m);
  if (!(edge.apm > 0.0f)) {
    *err = "no absorption edge: the absorption never rises";
    return false;
  }

  // The edge band: the slopes on both sides of the steepest one that stay
  // above 80 % of it. Each scan stops at the end of the data.
  const float tol = 0.8f;
  const float threshold = edge.apm * tol;
  int below = m - 1;
  while (below >= 1 && !(deriv.slope(below) <= threshold)) --below;
  int above = m + 1;
  while (above <= deriv.n && !(deriv.slope(above) <= threshold)) ++above;
  edge.i1 = below + 1;
  edge.i2 = above - 1;
  const int count = edge.i2 - edge.i1 + 1;
  if (count < 3) {
    --edge.i1;
    if (count == 1) ++edge.i2;
  }
  std::string unsound;  // why the parabola's vertex is not the edge energy
  const bool band = edge.i1 >= 1 && edge.i2 <= deriv.n;
  if (!band)
    unsound = "the steepest rise (at " + ev(edge.emax) + ") is too close to the " +
              (edge.i1 < 1 ? "first" : "last") +
              " point of the data for the three slopes of an edge band";
  // Cut at the top, the band would have no fall above it: the white line
  // below refuses that.
  if (band && below < 1)
    warnings.add("the edge band reaches the first point of the data: the steepest rise (at " +
                 ev(edge.emax) + ") does not fall below 80 % of it before the data begin");

  // The white line: the first negative slope at or above the steepest one.
  int c = m;
  while (c <= deriv.n && !(deriv.slope(c) < 0.0f)) ++c;
  if (c > deriv.n) {
    *err = "no white line: the absorption never falls above the edge";
    return false;
  }
  edge.ewl = (deriv.emid(c - 1) * deriv.slope(c) - deriv.emid(c) * deriv.slope(c - 1)) /
             (deriv.slope(c) - deriv.slope(c - 1));
  white_line_parabola(data, c, edge, screen);

  if (band) {
    Warnings held;  // given only where the vertex is kept
    const double curvature = edge_parabola(data, deriv, edge, screen, held);
    if (sound_vertex(data, edge, curvature, held, &unsound) && rule.kind == EdgeRule::specified) {
      for (std::string& text : held.take()) warnings.add(std::move(text));
      return true;
    }
  }

  // The smoothed derivative's edge: where the parabola's vertex is no edge
  // energy, or where it is asked for.
  const SmoothEdge smooth = smooth_edge(data);
  if (!smooth.found) {
    *err = "no absorption edge: the smoothed absorption never rises" +
           (unsound.empty() ? std::string() : " (and " + unsound + ")");
    return false;
  }
  edge.smoothed = true;
  edge.slp = smooth.slope;
  if (rule.kind == EdgeRule::given) {
    edge.e0 = rule.e0;
    return true;
  }
  edge.e0 = smooth.e0;
  if (rule.kind == EdgeRule::specified)
    warnings.add("the edge energy " + ev(edge.e0) + " is the maximum of the smoothed derivative: " +
                 unsound);
  return true;
}

}  // namespace xas
