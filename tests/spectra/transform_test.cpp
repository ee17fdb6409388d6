#include "spectra/transform.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "spectra/signal.h"
#include "support/run_program.h"
#include "support/stage_records.h"

// Thread starts refused as a process limit refuses them: this definition
// comes before the C library's in the lookup of every library, so the
// transform's std::thread reaches it. It passes each start on to the next
// definition, unless g_starts_left has come down to 0.
namespace {
std::atomic<int> g_starts_left{-1};  // -1: no limit
std::atomic<int> g_starts_refused{0};
}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr,
                              void* (*routine)(void*), void* arg) noexcept {
  using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
  static const Create next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
  int left = g_starts_left.load();
  while (left > 0 && !g_starts_left.compare_exchange_weak(left, left - 1)) {
  }
  if (left == 0) {
    ++g_starts_refused;
    return EAGAIN;
  }
  return next(thread, attr, routine, arg);
}

namespace xas {
namespace {

using test::StageRecords;

// Keeps the weight exponent out of the optimiser's sight, so that the
// reference takes the library's powf as the program must.
volatile float g_wh = 2.0f;

// Hides a value from the optimiser, so that the functions below run at run
// time in the library's single precision instead of being folded by the
// compiler with another rounding.
float opaque(float x) {
  volatile float v = x;
  return v;
}

float runtime_sin(float x) { return std::sin(opaque(x)); }

// The window as the taper rules give it.
float reference_window(float k, float akmin, float akmax, float dk) {
  if (k <= akmin || k >= akmax) return 0.0f;
  if (akmax - dk < k) return runtime_sin((kPi / 2.0f) * ((akmax - k) / dk));
  if (k < akmin + dk) return runtime_sin((kPi / 2.0f) * ((k - akmin) / dk));
  return 1.0f;
}

struct Transform {
  std::vector<float> r, ft_sin, ft_cos, ft_mod;
  int l = 0;
};

// The transform of points 1..n (k ascending) with the fixed parameters:
// window [2.5, k(n-1)], tapers 0.5, weight k^2 by powf, R = 0 .. 9.98.
Transform reference_transform(const std::vector<float>& k, const std::vector<float>& chi) {
  const std::size_t n = k.size();
  const float akmin = 2.5f, akmax = k[n - 2], dk = 0.5f, dr = 0.02f, rmin = 0.0f;
  std::vector<float> ex1, akf, dkf;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const float w = reference_window(k[i], akmin, akmax, dk);
    if (k[i] > 0.0f && w > 0.0f) {
      const float weight = std::pow(opaque(k[i]), static_cast<float>(g_wh));
      ex1.push_back(w * (chi[i] * weight));
      akf.push_back(k[i]);
      dkf.push_back((k[i + 1] - k[i]) / 2.0f);
    }
  }
  Transform t;
  t.l = static_cast<int>(ex1.size());
  for (int m = 1; m <= 500; ++m) {
    const float r = rmin + static_cast<float>(m - 1) * dr;
    float s = 0.0f, c = 0.0f;
    for (std::size_t j = 0; j < ex1.size(); ++j) {
      const float a = dkf[j] * ex1[j];
      const float arg = akf[j] * (r + r);
      s = std::sin(opaque(arg)) * a + s;
      c = std::cos(opaque(arg)) * a + c;
    }
    t.r.push_back(r);
    t.ft_sin.push_back(s);
    t.ft_cos.push_back(c);
    t.ft_mod.push_back(std::sqrt(opaque(c * c + s * s)));
  }
  return t;
}

// Puts a signal on the axis of a run and sets the transform parameters.
std::unique_ptr<StageRecords> load_signal(const std::vector<float>& k, const std::vector<float>& chi) {
  std::unique_ptr<StageRecords> r = test::stage_records();
  r->logic.fourier = 'S';
  r->size(static_cast<int>(k.size()));
  r->exafs.n = r->data.n;
  for (int i = 1; i <= r->data.n; ++i) {
    r->exafs.k(i) = k[i - 1];
    r->exafs.chi(i) = chi[i - 1];
  }
  choose_transform(r->data, r->exafs, r->logic, r->params, r->screen);
  return r;
}

void transform(StageRecords& r, int threads) {
  fourier_transform(r.exafs, r.params, r.logic, r.fourie, threads);
}

// R points of a transform that differ from the reference in any value.
int mismatches(const Fourie& fourie, const Transform& ref) {
  int count = 0;
  for (int m = 1; m <= 500; ++m) {
    if (fourie.r(m) != ref.r[m - 1] || fourie.ft_sin(m) != ref.ft_sin[m - 1] ||
        fourie.ft_cos(m) != ref.ft_cos[m - 1] || fourie.ft_mod(m) != ref.ft_mod[m - 1])
      ++count;
  }
  return count;
}

TEST(Window, TaperValuesAndEnds) {
  const float akmin = 2.5f, akmax = 15.0f, dk = 0.5f;
  EXPECT_EQ(window(2.5f, akmin, akmax, dk, kPi), 0.0f);
  EXPECT_EQ(window(2.4f, akmin, akmax, dk, kPi), 0.0f);
  EXPECT_EQ(window(2.75f, akmin, akmax, dk, kPi), runtime_sin((kPi / 2.0f) * 0.5f));
  EXPECT_NEAR(window(2.75f, akmin, akmax, dk, kPi), 0.7071068f, 1e-7f);
  EXPECT_EQ(window(3.0f, akmin, akmax, dk, kPi), 1.0f);
  EXPECT_EQ(window(9.0f, akmin, akmax, dk, kPi), 1.0f);
  EXPECT_EQ(window(14.5f, akmin, akmax, dk, kPi), 1.0f);  // akmax - dk
  EXPECT_EQ(window(14.75f, akmin, akmax, dk, kPi), runtime_sin((kPi / 2.0f) * ((15.0f - 14.75f) / dk)));
  EXPECT_EQ(window(15.0f, akmin, akmax, dk, kPi), 0.0f);
  EXPECT_EQ(window(15.1f, akmin, akmax, dk, kPi), 0.0f);
  const float inside = std::nextafter(15.0f, 0.0f);
  EXPECT_GT(window(inside, akmin, akmax, dk, kPi), 0.0f);
}

TEST(Window, FallingTaperWinsWhereBothApply) {
  // A window narrower than twice the taper: 2.8 lies in both taper zones.
  const float akmin = 2.5f, akmax = 3.2f, dk = 0.5f;
  const float falling = runtime_sin((kPi / 2.0f) * ((akmax - 2.8f) / dk));
  const float rising = runtime_sin((kPi / 2.0f) * ((2.8f - akmin) / dk));
  ASSERT_NE(falling, rising);
  EXPECT_EQ(window(2.8f, akmin, akmax, dk, kPi), falling);
  // Only one taper applies at 2.6 (rising) and at 3.1 (falling).
  EXPECT_EQ(window(2.6f, akmin, akmax, dk, kPi), runtime_sin((kPi / 2.0f) * ((2.6f - akmin) / dk)));
  EXPECT_EQ(window(3.1f, akmin, akmax, dk, kPi), runtime_sin((kPi / 2.0f) * ((akmax - 3.1f) / dk)));
}

TEST(Window, ZeroOutsideTheWindowEvenWhenItIsEmpty) {
  // An upper end below the lower one: no wave number lies inside, and the
  // falling taper must not reach below the lower end.
  const float akmin = 2.5f, akmax = 2.4f, dk = 0.5f;
  for (float k : {1.0f, 1.95f, 2.0f, 2.2f, 2.4f, 2.45f, 2.5f, 2.6f})
    EXPECT_EQ(window(k, akmin, akmax, dk, kPi), 0.0f) << "k = " << k;
}

TEST(FourierTransform, NoSelectedPointGivesZerosOnTheGrid) {
  // The next-to-last wave number is below 2.5: the window is empty.
  const auto r = load_signal({0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 2.4f, 2.6f},
                             {0.0f, 1.0f, -1.0f, 2.0f, 1.0f, 3.0f, 1.0f});
  Fourie& fourie = r->fourie;
  // What an earlier transform left is cleared.
  for (PointValues* values : {&fourie.ft_sin, &fourie.ft_cos, &fourie.ft_mod}) {
    values->zero(600);
    for (int m = 1; m <= 600; ++m) (*values)(m) = 7.0f;
  }
  const std::string before = r->screen.text();
  transform(*r, 1);
  ASSERT_EQ(fourie.ft_mod.size(), 500);
  for (int m = 1; m <= fourie.ft_mod.size(); ++m) {
    ASSERT_EQ(fourie.ft_sin(m), 0.0f) << m;
    ASSERT_EQ(fourie.ft_cos(m), 0.0f) << m;
    ASSERT_EQ(fourie.ft_mod(m), 0.0f) << m;
  }
  EXPECT_EQ(fourie.n, 500);
  for (int m = 1; m <= 500; ++m) ASSERT_EQ(fourie.r(m), static_cast<float>(m - 1) * 0.02f) << m;
  EXPECT_NEAR(fourie.r(500), 9.98f, 1e-6f);
  EXPECT_EQ(r->screen.text(), before) << "the transform prints nothing";
}

// An irregular axis with points below, at and inside both tapers; several
// of its wave numbers are bases whose powf(k, 2) differs from k*k.
const std::vector<float> kAxis = {0.0f,          1.0f,          2.5f,          0x1.4ccfecp+1f,
                                  2.75f,         0x1.73364ap+1f, 3.0f,          0x1.8cdd2p+1f,
                                  0x1.c00ff6p+1f, 0x1.067p+2f,    0x1.201p+2f,   4.7f,
                                  0x1.399d7ep+2f, 5.0f,          5.2f};

std::vector<float> signal_on(const std::vector<float>& k) {
  std::vector<float> chi;
  for (float ki : k) chi.push_back(0.3f * std::sin(5.0f * ki) - 0.05f);
  return chi;
}

TEST(FourierTransform, SmallCaseSumInSinglePrecisionInOrder) {
  const std::vector<float> chi = signal_on(kAxis);
  const auto r = load_signal(kAxis, chi);
  transform(*r, 1);
  const Transform ref = reference_transform(kAxis, chi);
  // 2.6 .. 4.9 are selected: not k = 0, 1, 2.5 (lower end), 5.0 (upper end), 5.2.
  EXPECT_EQ(ref.l, 10);
  for (int m = 1; m <= 500; ++m) {
    ASSERT_EQ(r->fourie.r(m), ref.r[m - 1]) << "m = " << m;
    ASSERT_EQ(r->fourie.ft_sin(m), ref.ft_sin[m - 1]) << "m = " << m;
    ASSERT_EQ(r->fourie.ft_cos(m), ref.ft_cos[m - 1]) << "m = " << m;
    ASSERT_EQ(r->fourie.ft_mod(m), ref.ft_mod[m - 1]) << "m = " << m;
  }
}

TEST(FourierTransform, AtZeroDistanceTheModulusIsTheSumOfTheElements) {
  const std::vector<float> chi = signal_on(kAxis);
  const auto r = load_signal(kAxis, chi);
  transform(*r, 1);
  float sum = 0.0f;
  for (std::size_t i = 0; i + 1 < kAxis.size(); ++i) {
    const float w = reference_window(kAxis[i], 2.5f, kAxis[kAxis.size() - 2], 0.5f);
    if (w > 0.0f) {
      const float a = ((kAxis[i + 1] - kAxis[i]) / 2.0f) *
                      (w * (chi[i] * std::pow(opaque(kAxis[i]), static_cast<float>(g_wh))));
      sum = 1.0f * a + sum;
    }
  }
  EXPECT_EQ(r->fourie.r(1), 0.0f);
  EXPECT_EQ(r->fourie.ft_sin(1), 0.0f);
  EXPECT_EQ(r->fourie.ft_mod(1), std::fabs(sum));
  EXPECT_NE(sum, 0.0f);
}

TEST(FourierTransform, FullSizeSpectrumSameForAnyThreadCount) {
  const auto r = test::stage_records();
  std::string err;
  ASSERT_TRUE(load(*r, test::answers(test::example("ni_synth_15000.dat")), &err)) << err;
  ASSERT_TRUE(run_to(*r, test::Step::signal, &err)) << err;
  ASSERT_EQ(r->exafs.n, 15000);
  std::vector<float> k, chi;
  for (int i = 1; i <= r->exafs.n; ++i) {
    k.push_back(r->exafs.k(i));
    chi.push_back(r->exafs.chi(i));
  }
  const Transform ref = reference_transform(k, chi);
  EXPECT_GT(ref.l, 9000);
  // starts: how many helper threads may start (-1: all); threads that cannot
  // be started leave their share to the calling thread.
  struct Case {
    int threads, starts;
  };
  for (const Case c : {Case{1, -1}, Case{2, -1}, Case{3, -1}, Case{0, -1}, Case{4, 0}, Case{4, 1}}) {
    r->fourie.zero(500);
    for (int m = 1; m <= 500; ++m) r->fourie.ft_mod(m) = -1.0f;  // must be overwritten
    g_starts_refused = 0;
    g_starts_left = c.starts;
    transform(*r, c.threads);
    g_starts_left = -1;
    if (c.starts >= 0) {
      EXPECT_GT(g_starts_refused, 0) << "no start was refused";
    }
    EXPECT_EQ(mismatches(r->fourie, ref), 0) << c.threads << " threads, " << c.starts << " started";
  }
}

}  // namespace
}  // namespace xas
