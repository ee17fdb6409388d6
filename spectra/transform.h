// The Fourier transform of the windowed, k-weighted EXAFS signal on a fixed R
// grid, by direct summation over the measured points.
#pragma once

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

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

// Work on the R points of the grid, shared out in chunks: worker threads take
// chunks as soon as the job starts, and the thread that asks for the result
// takes the chunks still left before it waits for the workers.
class TransformJob {
 public:
  TransformJob() = default;
  TransformJob(const TransformJob&) = delete;
  TransformJob& operator=(const TransformJob&) = delete;
  ~TransformJob() { finish(); }

  // work(first, last) computes grid points first..last (1-based, inclusive).
  void start(std::function<void(int, int)> work, int points, int workers);
  // Returns when every point is computed.
  void finish();

 private:
  void take_chunks();
  std::function<void(int, int)> work_;
  int points_ = 0;
  std::atomic<int> next_{0};
  std::vector<std::thread> threads_;
};

// Fills fourie from exafs and the transform parameters. Each R point is one
// sum over the selected points in their order, so the result does not depend
// on how many threads share the grid (`threads`; 0: one per core).
void fourier_transform(Run& run, int threads = 0);

// The same in two steps: the selection and the start of the work, then,
// before fourie is read, its completion. Between the two the calling thread
// is free for stages that do not touch fourie.
void start_fourier_transform(Run& run, int threads = 0);
void finish_fourier_transform(Run& run);

}  // namespace xas
