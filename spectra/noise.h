// The noise estimate: the r.m.s. scatter of the spectrum about local
// five-term polynomial fits, over the pre-edge range and over intervals of
// about 20 points above the edge.
#pragma once

#include <vector>

#include "common/records.h"

namespace xas {

class TextOut;

// One fitted range: its points, its r.m.s. noise and the absolute residuals
// of its points as they stood right after its fit (a point shared with the
// next interval is given that interval's residual in data.noise later).
struct NoiseRange {
  int mp0 = 0, mp1 = 0;
  float rms = 0.0f;
  std::vector<float> residuals;  // of mp0..mp1
};

// What the estimate gives besides the noise column of data.
struct NoiseEstimate {
  std::vector<NoiseRange> ranges;  // the pre-edge range, then the intervals in order
  bool averaged = false;           // intervals were fitted above the edge
  float sxave = 0.0f;              // their average r.m.s. noise
};

// The interval arithmetic above the edge, for n points from jp0 on.
struct Intervals {
  int ninter = 0;  // number of intervals (0: none)
  int npitv = 0;   // interval step in points
  int nshow = 0;   // every nshow-th interval is reported
};
Intervals plan_intervals(int n, int jp0);

// First and last point of interval m (1-based) of a plan.
void interval_range(const Intervals& plan, int m, int n, int jp0, int* mp0, int* mp1);

// The fit over mp0..mp1 with x = (energy - eb) + s; fills noise(mp0..mp1)
// with the absolute residuals and returns the r.m.s. Sets *singular when the
// solver met a zero pivot.
double noise_fit(Data& data, int mp0, int mp1, float eb, float s, bool* singular);

// estimate_noise: the pre-edge range and the intervals above the edge at e0
// (keV), their screen lines with the average, the noise column of data and
// the ranges the noise plot draws.
void estimate_noise(float e0, Data& data, TextOut& screen, NoiseEstimate& estimate);

}  // namespace xas
