// Edge location: the derivative spectrum, the steepest slope, the white line
// and the edge energy E0.
#pragma once

#include <string>

#include "driver/records.h"

namespace xas {

struct Run;

// deriv: slope of each interval between data points i and i+1, stored at
// index i. An interval skipped because of equal energies keeps what its slot
// held before (zero at the start of the run).
struct Deriv {
  int n = 0;  // index of the last slope computed
  OneBased<float, kMaxPoints> emid;   // (e(i) + e(i+1)) / 2, keV
  OneBased<float, kMaxPoints> slope;  // (a(i+1) - a(i)) / (e(i+1) - e(i)), per keV
};

// Fills deriv, emax, apm, i1, i2, ewl, wl, slp and E0 (spl0.e0). Fails, with
// a message for the user, when the data show no edge the later stages can
// work from.
bool locate_edge(Run& run, std::string* err);

}  // namespace xas
