// Edge location: the derivative spectrum, the steepest slope, the white line
// and the edge energy E0.
#pragma once

#include <string>

#include "common/records.h"

namespace xas {

class TextOut;
class Warnings;

// deriv: slope of each interval between data points i and i+1, stored at
// index i. An interval skipped because of equal energies keeps what its slot
// held before (zero at the start of the run).
struct Deriv {
  int n = 0;  // index of the last slope computed
  PointValues emid;   // (e(i) + e(i+1)) / 2, keV
  PointValues slope;  // (a(i+1) - a(i)) / (e(i+1) - e(i)), per keV
};

// The landmarks of the edge (energies in keV).
struct Edge {
  float emax = 0.0f;   // mid-point energy of the steepest slope
  float apm = 0.0f;    // steepest slope
  int i1 = 0, i2 = 0;  // first and last slope of the edge band
  float ewl = 0.0f;    // white-line energy
  float wl = 0.0f;     // absorption at the white-line maximum
  float slp = 0.0f;    // refined steepest slope
  float e0 = 0.0f;     // edge energy E0
  bool smoothed = false;  // E0 and slp are the smoothed derivative's, not the parabola's
};

// Which edge energy a reduction takes: the vertex of the derivative parabola
// where it is sound (else the smoothed derivative's maximum), the smoothed
// derivative's maximum for every spectrum, or one given.
struct EdgeRule {
  enum Kind { specified, smooth, given };
  Kind kind = specified;
  float e0 = 0.0f;  // keV, for `given`
};

// A maximum of the derivative parabola outside the edge band is kept as the
// edge energy up to this far from the band (keV).
inline constexpr float kCloseToBand = 0.0015f;

// The edge energy from the derivative smoothed over a window suited to the
// point spacing: at each point, the slope at its middle of a parabola fitted
// to the absorption within max(1.5 eV, 2.5 point spacings) of it; the
// steepest of them, refined by a parabola through it and its neighbours.
// Found is false when the smoothed absorption never rises.
struct SmoothEdge {
  bool found = false;
  float e0 = 0.0f;     // keV
  float slope = 0.0f;  // the smoothed derivative there, per keV
};
SmoothEdge smooth_edge(const Data& data);

// Fills deriv (sized to the points, its slots kept where no slope is
// computed) and edge from the spectrum (energies in keV). A singular
// parabola prints "insufficient precision!!!" on the screen and the run goes
// on. Fails, with a message for the user, when the data show no edge to
// work from; warns of an edge energy that is worth a second look.
bool locate_edge(const Data& data, Deriv& deriv, Edge& edge, TextOut& screen, Warnings& warnings,
                 std::string* err, const EdgeRule& rule = EdgeRule());

}  // namespace xas
