#include "spectra/kaxis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "driver/run.h"
#include "support/run_program.h"

namespace xas {
namespace {

using test::TestRun;

void load_energies(Run& run, float e0, const std::vector<float>& energies) {
  run.model.spl0.e0 = e0;
  run.data.n = static_cast<int>(energies.size());
  for (std::size_t i = 0; i < energies.size(); ++i) {
    run.data.energy(static_cast<int>(i) + 1) = energies[i];
    run.exafs.k(static_cast<int>(i) + 1) = -1.0f;  // must be overwritten
  }
}

TEST(WaveNumbers, OneTenthOfAKilovoltAboveTheEdge) {
  TestRun t;
  // 0.1 - 0 is exactly the single-precision 0.1, and 262.47 * 0.1 rounds to 26.247.
  load_energies(t.run(), 0.0f, {0.1f});
  wave_numbers(t.run());
  EXPECT_EQ(t->exafs.k(1), std::sqrt(26.247f));
  EXPECT_NEAR(t->exafs.k(1), 5.123, 5e-4);

  // The same near a real edge: the single difference, the single product with
  // 262.47, then the square root.
  TestRun u;
  const float e0 = 8.979f, e = 9.079f;
  load_energies(u.run(), e0, {e});
  wave_numbers(u.run());
  EXPECT_EQ(u->exafs.k(1), std::sqrt(262.47f * (e - e0)));
  EXPECT_NEAR(u->exafs.k(1), 5.123, 5e-4);
}

TEST(WaveNumbers, ProductIsFormedInSinglePrecision) {
  // Energies for which the single-precision product 262.47f * d and the
  // double one lead to different single-precision wave numbers.
  const float e0 = 8.979f;
  std::vector<float> energies;
  for (float e = 8.98f; e < 10.5f && energies.size() < 50; e += 0.000731f) {
    const float d = e - e0;
    const float single = std::sqrt(262.47f * d);
    const float wide = static_cast<float>(std::sqrt(262.47 * static_cast<double>(d)));
    if (single != wide) energies.push_back(e);
  }
  ASSERT_FALSE(energies.empty());
  TestRun t;
  load_energies(t.run(), e0, energies);
  wave_numbers(t.run());
  for (std::size_t i = 0; i < energies.size(); ++i)
    EXPECT_EQ(t->exafs.k(static_cast<int>(i) + 1), std::sqrt(262.47f * (energies[i] - e0)))
        << "energy " << energies[i];
}

TEST(WaveNumbers, PointsAtOrBelowTheEdgeHaveZeroAndSetTheFirstPointAbove) {
  TestRun t;
  load_energies(t.run(), 9.0f, {8.8f, 8.9f, 9.0f, 9.1f, 9.2f});
  wave_numbers(t.run());
  EXPECT_EQ(t->exafs.k(1), 0.0f);
  EXPECT_EQ(t->exafs.k(2), 0.0f);
  EXPECT_EQ(t->exafs.k(3), 0.0f);  // exactly at E0
  EXPECT_GT(t->exafs.k(4), 0.0f);
  EXPECT_EQ(t->ne0, 4);
}

TEST(WaveNumbers, NoPointAtOrBelowTheEdgeGivesTheFirstPoint) {
  TestRun t;
  t->ne0 = 77;
  load_energies(t.run(), 9.0f, {9.01f, 9.1f, 9.2f});
  wave_numbers(t.run());
  EXPECT_EQ(t->ne0, 1);
  for (int i = 1; i <= 3; ++i) EXPECT_GT(t->exafs.k(i), 0.0f);
}

TEST(WaveNumbers, AllPointsAtOrBelowTheEdge) {
  TestRun t;
  load_energies(t.run(), 9.0f, {8.8f, 8.9f, 9.0f});
  wave_numbers(t.run());
  EXPECT_EQ(t->ne0, 4);
}

TEST(WaveNumbers, UnorderedEnergiesFollowTheLastPointAtOrBelowTheEdgeInIndexOrder) {
  TestRun t;
  load_energies(t.run(), 9.0f, {9.1f, 8.8f, 9.2f, 8.9f, 9.3f, 9.4f});
  wave_numbers(t.run());
  EXPECT_EQ(t->ne0, 5);
  EXPECT_GT(t->exafs.k(1), 0.0f);
  EXPECT_EQ(t->exafs.k(2), 0.0f);
  EXPECT_EQ(t->exafs.k(4), 0.0f);

  TestRun u;
  load_energies(u.run(), 9.0f, {8.8f, 9.1f, 9.0f, 9.2f, 9.3f});
  wave_numbers(u.run());
  EXPECT_EQ(u->ne0, 4);  // the point exactly at E0, index 3, is the last at or below
}

}  // namespace
}  // namespace xas
