#include "spectra/transform.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "background/powers.h"
#include "driver/run.h"

namespace xas {

float window(float k, float akmin, float akmax, float dk, float pi) {
  // Zero outside the window and at its ends, also when the window is
  // narrower than a taper; inside, the rising taper over the first dk, the
  // falling one over the last dk (which wins where both apply), 1 between.
  if (k <= akmin || k >= akmax) return 0.0f;
  float w = 1.0f;
  if (k < akmin + dk) w = std::sin((pi / 2.0f) * ((k - akmin) / dk));
  if (akmax - dk < k) w = std::sin((pi / 2.0f) * ((akmax - k) / dk));
  return w;
}

namespace {

// The sums of grid points first..last (1-based, inclusive), each over the
// selected points in their order.
void transform_range(Fourie& fourie, const Selection& sel, float rmin, float dr, int first,
                     int last) {
  const float* ex1 = sel.ex1.begin();
  const float* akf = sel.akf.begin();
  const float* dkf = sel.dkf.begin();
  for (int m = first; m <= last; ++m) {
    const float r = rmin + static_cast<float>(m - 1) * dr;
    fourie.r(m) = r;
    float ft_sin = fourie.ft_sin(m);
    float ft_cos = fourie.ft_cos(m);
    const float r2 = r + r;
    for (int j = 0; j < sel.l; ++j) {
      const float a = dkf[j] * ex1[j];
      const float t = akf[j] * r2;
      ft_sin = std::sin(t) * a + ft_sin;
      ft_cos = std::cos(t) * a + ft_cos;
    }
    fourie.ft_sin(m) = ft_sin;
    fourie.ft_cos(m) = ft_cos;
    fourie.ft_mod(m) = std::sqrt(ft_cos * ft_cos + ft_sin * ft_sin);
  }
}

}  // namespace

void TransformJob::start(std::function<void(int, int)> work, int points, int workers) {
  finish();
  work_ = std::move(work);
  points_ = points;
  next_.store(1);
  for (int t = 0; t < workers; ++t) threads_.emplace_back(&TransformJob::take_chunks, this);
}

void TransformJob::take_chunks() {
  constexpr int kChunk = 10;
  for (;;) {
    const int first = next_.fetch_add(kChunk);
    if (first > points_) return;
    work_(first, std::min(points_, first + kChunk - 1));
  }
}

void TransformJob::finish() {
  if (!work_) return;
  take_chunks();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  work_ = nullptr;
}

void start_fourier_transform(Run& run, int threads) {
  if (run.logic.fourier != 'S') return;
  Fourie& fourie = run.fourie;
  const Exafs& exafs = run.exafs;
  for (int m = 1; m <= kMaxPoints; ++m) {
    fourie.ft_sin(m) = 0.0f;
    fourie.ft_cos(m) = 0.0f;
    fourie.ft_mod(m) = 0.0f;
  }

  Selection& sel = run.selection;
  sel.l = 0;
  // A point is selected when its window value is positive; the last point has
  // no following point to give its integration element and is never taken.
  for (int i = 1; i < exafs.n; ++i) {
    const float k = exafs.k(i);
    const float w = window(k, run.akmin, run.akmax, run.dk, run.pi);
    if (k > 0.0f && w > 0.0f) {
      ++sel.l;
      sel.ex1(sel.l) = w * (exafs.chi(i) * real_power(k, run.wh));
      sel.akf(sel.l) = k;
      sel.dkf(sel.l) = (exafs.k(i + 1) - exafs.k(i)) / 2.0f;
    }
  }

  const int points = std::min(fourie.n, kMaxPoints);
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const float rmin = run.rmin, dr = run.dr;
  run.transform_job.start(
      [&fourie, &sel, rmin, dr](int first, int last) {
        transform_range(fourie, sel, rmin, dr, first, last);
      },
      points, threads - 1);
}

void finish_fourier_transform(Run& run) { run.transform_job.finish(); }

void fourier_transform(Run& run, int threads) {
  start_fourier_transform(run, threads);
  finish_fourier_transform(run);
}

}  // namespace xas
