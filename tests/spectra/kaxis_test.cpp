#include "spectra/kaxis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/stage_records.h"

namespace xas {
namespace {

using test::StageRecords;

// Puts the energies in, with an edge at e0, and makes their axis.
void load_energies(StageRecords& r, float e0, const std::vector<float>& energies) {
  r.edge.e0 = e0;
  r.size(static_cast<int>(energies.size()));
  for (std::size_t i = 0; i < energies.size(); ++i) {
    r.data.energy(static_cast<int>(i) + 1) = energies[i];
    r.exafs.k(static_cast<int>(i) + 1) = -1.0f;  // must be overwritten
  }
  wave_numbers(r.data, r.edge.e0, r.exafs, r.ne0);
}

TEST(WaveNumbers, OneTenthOfAKilovoltAboveTheEdge) {
  auto t = test::stage_records();
  // 0.1 - 0 is exactly the single-precision 0.1, and 262.47 * 0.1 rounds to 26.247.
  load_energies(*t, 0.0f, {0.1f});
  EXPECT_EQ(t->exafs.k(1), std::sqrt(26.247f));
  EXPECT_NEAR(t->exafs.k(1), 5.123, 5e-4);

  // The same near a real edge: the single difference, the single product with
  // 262.47, then the square root.
  auto u = test::stage_records();
  const float e0 = 8.979f, e = 9.079f;
  load_energies(*u, e0, {e});
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
  auto t = test::stage_records();
  load_energies(*t, e0, energies);
  for (std::size_t i = 0; i < energies.size(); ++i)
    EXPECT_EQ(t->exafs.k(static_cast<int>(i) + 1), std::sqrt(262.47f * (energies[i] - e0)))
        << "energy " << energies[i];
}

TEST(WaveNumbers, PointsAtOrBelowTheEdgeHaveZeroAndSetTheFirstPointAbove) {
  auto t = test::stage_records();
  load_energies(*t, 9.0f, {8.8f, 8.9f, 9.0f, 9.1f, 9.2f});
  EXPECT_EQ(t->exafs.k(1), 0.0f);
  EXPECT_EQ(t->exafs.k(2), 0.0f);
  EXPECT_EQ(t->exafs.k(3), 0.0f);  // exactly at E0
  EXPECT_GT(t->exafs.k(4), 0.0f);
  EXPECT_EQ(t->ne0, 4);
}

TEST(WaveNumbers, NoPointAtOrBelowTheEdgeGivesTheFirstPoint) {
  auto t = test::stage_records();
  t->ne0 = 77;
  load_energies(*t, 9.0f, {9.01f, 9.1f, 9.2f});
  EXPECT_EQ(t->ne0, 1);
  for (int i = 1; i <= 3; ++i) EXPECT_GT(t->exafs.k(i), 0.0f);
}

TEST(WaveNumbers, AllPointsAtOrBelowTheEdge) {
  auto t = test::stage_records();
  load_energies(*t, 9.0f, {8.8f, 8.9f, 9.0f});
  EXPECT_EQ(t->ne0, 4);
}

TEST(WaveNumbers, UnorderedEnergiesFollowTheLastPointAtOrBelowTheEdgeInIndexOrder) {
  auto t = test::stage_records();
  load_energies(*t, 9.0f, {9.1f, 8.8f, 9.2f, 8.9f, 9.3f, 9.4f});
  EXPECT_EQ(t->ne0, 5);
  EXPECT_GT(t->exafs.k(1), 0.0f);
  EXPECT_EQ(t->exafs.k(2), 0.0f);
  EXPECT_EQ(t->exafs.k(4), 0.0f);

  auto u = test::stage_records();
  load_energies(*u, 9.0f, {8.8f, 9.1f, 9.0f, 9.2f, 9.3f});
  EXPECT_EQ(u->ne0, 4);  // the point exactly at E0, index 3, is the last at or below
}

}  // namespace
}  // namespace xas
