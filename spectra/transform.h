// The Fourier transform of the windowed, k-weighted EXAFS signal on a fixed R
// grid, by direct summation over the measured points.
#pragma once

#include "driver/records.h"

namespace xas {

struct Run;

// fourie: the transform on the R grid; elements 1..n are meaningful.
struct Fourie {
  int n = 0;  // number of R points (500)
  OneBased<float, kMaxPoints> r;
  OneBased<float, kMaxPoints> ft_sin;
  OneBased<float, kMaxPoints> ft_cos;
  OneBased<float, kMaxPoints> ft_mod;
};

// The points the transform sums over: windowed, weighted signal, wave
// number and integration element of each selected point.
struct Selection {
  OneBased<float, kMaxPoints> ex1;
  OneBased<float, kMaxPoints> akf;
  OneBased<float, kMaxPoints> dkf;
  int l = 0;  // number of selected points
};

// The window value of wave number k for the window [akmin, akmax] with sine
// tapers of width dk.
float window(float k, float akmin, float akmax, float dk, float pi);

// Fills fourie from exafs and the transform parameters. The R points are
// shared among `threads` threads; every sum keeps its order, so the result
// does not depend on the number of threads.
void fourier_transform(Run& run, int threads = 0);

}  // namespace xas
