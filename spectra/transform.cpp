#include "spectra/transform.h"

#include "spectra/vector_sincos.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "background/powers.h"

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

void FourierTransform::start(const Exafs& exafs, const TransformParams& params, const Logic& logic,
                             Fourie& fourie, int threads) {
  finish();
  if (logic.fourier != 'S') return;
  fourie.zero(params.n);

  akf_.clear();
  weight_.clear();
  // A point is selected when its window value is positive; the last point has
  // no following point to give its integration element and is never taken.
  for (int i = 1; i < exafs.n; ++i) {
    const float k = exafs.k(i);
    const float w = window(k, params.akmin, params.akmax, params.dk, kPi);
    if (k > 0.0f && w > 0.0f) {
      const float ex1 = w * (exafs.chi(i) * real_power(k, params.wh));
      const float dkf = (exafs.k(i + 1) - exafs.k(i)) / 2.0f;
      akf_.push_back(k);
      weight_.push_back(dkf * ex1);
    }
  }

  fourie_ = &fourie;
  rmin_ = params.rmin;
  dr_ = params.dr;
  points_ = params.n;
  next_.store(1);
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  for (int t = 1; t < threads; ++t) {
    try {
      threads_.emplace_back(&FourierTransform::take_chunks, this);
    } catch (const std::system_error&) {
      break;  // a process limit: the calling thread does the rest
    }
  }
}

// The sums of R points taken a chunk at a time, each over the selected points
// in their order: 16 at once on the vector kernels where they are taken, one
// at a time on the library's sine and cosine otherwise. Both give the same
// bits.
void FourierTransform::take_chunks() {
  const simd::Kernels& vector = simd::transform_kernels();
  const int chunk = vector.transform16 != nullptr ? 16 : 10;
  const float* akf = akf_.data();
  const float* weight = weight_.data();
  const int l = static_cast<int>(weight_.size());
  Fourie& fourie = *fourie_;
  for (;;) {
    const int first = next_.fetch_add(chunk);
    if (first > points_) return;
    const int last = std::min(points_, first + chunk - 1);
    if (vector.transform16 != nullptr) {
      // Lanes past the last R point take R = 0 and are dropped.
      float r2[16] = {}, ft_sin[16] = {}, ft_cos[16] = {};
      for (int m = first; m <= last; ++m) {
        const float r = rmin_ + static_cast<float>(m - 1) * dr_;
        fourie.r(m) = r;
        r2[m - first] = r + r;
        ft_sin[m - first] = fourie.ft_sin(m);
        ft_cos[m - first] = fourie.ft_cos(m);
      }
      vector.transform16(akf, weight, l, r2, ft_sin, ft_cos);
      for (int m = first; m <= last; ++m) {
        fourie.ft_sin(m) = ft_sin[m - first];
        fourie.ft_cos(m) = ft_cos[m - first];
        fourie.ft_mod(m) = std::sqrt(ft_cos[m - first] * ft_cos[m - first] +
                                     ft_sin[m - first] * ft_sin[m - first]);
      }
      continue;
    }
    for (int m = first; m <= last; ++m) {
      const float r = rmin_ + static_cast<float>(m - 1) * dr_;
      fourie.r(m) = r;
      float ft_sin = fourie.ft_sin(m);
      float ft_cos = fourie.ft_cos(m);
      const float r2 = r + r;
      for (int j = 0; j < l; ++j) {
        const float a = weight[j];
        const float t = akf[j] * r2;
        ft_sin = std::sin(t) * a + ft_sin;
        ft_cos = std::cos(t) * a + ft_cos;
      }
      fourie.ft_sin(m) = ft_sin;
      fourie.ft_cos(m) = ft_cos;
      fourie.ft_mod(m) = std::sqrt(ft_cos * ft_cos + ft_sin * ft_sin);
    }
  }
}

void FourierTransform::finish() {
  if (fourie_ == nullptr) return;
  take_chunks();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  fourie_ = nullptr;
}

void fourier_transform(const Exafs& exafs, const TransformParams& params, const Logic& logic,
                       Fourie& fourie, int threads) {
  FourierTransform transform;
  transform.start(exafs, params, logic, fourie, threads);
  transform.finish();
}

}  // namespace xas
