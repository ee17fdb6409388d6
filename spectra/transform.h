// The Fourier transform of the windowed, k-weighted EXAFS signal on a fixed R
// grid, by direct summation over the measured points.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "common/records.h"
#include "spectra/kaxis.h"
#include "spectra/signal.h"

namespace xas {

// fourie: the transform on the R grid; elements 1..n are meaningful.
struct Fourie {
  int n = 0;  // number of R points (500)
  PointValues r;
  PointValues ft_sin;
  PointValues ft_cos;
  PointValues ft_mod;

  // n R points, every value zero.
  void zero(int points) {
    n = points;
    r.zero(points);
    ft_sin.zero(points);
    ft_cos.zero(points);
    ft_mod.zero(points);
  }
};

// The window value of wave number k for the window [akmin, akmax] with sine
// tapers of width dk.
float window(float k, float akmin, float akmax, float dk, float pi);

// The transform in two steps, so that the calling thread is free for stages
// that do not touch fourie in between. Each R point is one sum over the
// selected points in their order, so the result does not depend on how many
// threads share the grid.
class FourierTransform {
 public:
  FourierTransform() = default;
  FourierTransform(const FourierTransform&) = delete;
  FourierTransform& operator=(const FourierTransform&) = delete;
  ~FourierTransform() { finish(); }

  // When the Fourier switch of logic is on: clears fourie, selects the
  // points and starts the sums on `threads` threads in all, the calling
  // thread being one of them (0: one per core). Threads that cannot be
  // started leave their share to the calling thread.
  void start(const Exafs& exafs, const TransformParams& params, const Logic& logic, Fourie& fourie,
             int threads = 0);
  // Returns when every R point is computed.
  void finish();

 private:
  void take_chunks();

  // The selected points: the wave number of each, and its integration
  // element times its windowed, weighted signal, which every R point
  // multiplies by its sine and cosine.
  std::vector<float> akf_, weight_;
  Fourie* fourie_ = nullptr;
  float rmin_ = 0.0f, dr_ = 0.0f;
  int points_ = 0;
  std::atomic<int> next_{0};
  std::vector<std::thread> threads_;
};

// Both steps at once.
void fourier_transform(const Exafs& exafs, const TransformParams& params, const Logic& logic,
                       Fourie& fourie, int threads = 0);

}  // namespace xas
