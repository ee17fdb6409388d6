#include "background/simq.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace xas {
namespace {

// Column-major storage of a row-major matrix given as rows.
std::vector<double> column_major(const std::vector<std::vector<double>>& rows) {
  const std::size_t n = rows.size();
  std::vector<double> a(n * n);
  for (std::size_t r = 0; r < n; ++r)
    for (std::size_t c = 0; c < n; ++c) a[c * n + r] = rows[r][c];
  return a;
}

TEST(Simq, OrderOneDividesAndFlagsOnlyAZeroCoefficient) {
  double a = 4.0, b = 10.0;
  EXPECT_EQ(simq(&a, &b, 1), 0);
  EXPECT_EQ(b, 2.5);

  double neg = -0.5, bn = 3.0;
  EXPECT_EQ(simq(&neg, &bn, 1), 0);
  EXPECT_EQ(bn, -6.0);

  double zero = 0.0, bz = 7.0;
  EXPECT_EQ(simq(&zero, &bz, 1), 1);
  EXPECT_EQ(bz, 7.0);  // nothing was divided

  double minus_zero = -0.0, bm = 7.0;
  EXPECT_EQ(simq(&minus_zero, &bm, 1), 1);
  EXPECT_EQ(bm, 7.0);
}

TEST(Simq, ZeroFirstColumnFailsAtOnceLeavingEverythingUntouched) {
  const std::vector<std::vector<double>> rows = {{0, 1, 2}, {0, 3, 4}, {0, 5, 7}};
  std::vector<double> a = column_major(rows);
  const std::vector<double> a_before = a;
  std::vector<double> b = {1, 2, 3};
  EXPECT_EQ(simq(a.data(), b.data(), 3), 1);
  EXPECT_EQ(a, a_before);
  EXPECT_EQ(b, (std::vector<double>{1, 2, 3}));
}

TEST(Simq, TinyButNonZeroPivotsAreAccepted) {
  double a = 1e-300, b = 3e-300;
  EXPECT_EQ(simq(&a, &b, 1), 0);
  EXPECT_DOUBLE_EQ(b, 3.0);

  // A 2 by 2 system whose second pivot is 1e-300: only an exact zero fails.
  std::vector<double> m = column_major({{3.0, 0.0}, {0.0, 1e-300}});
  std::vector<double> rhs = {6.0, 5e-300};
  EXPECT_EQ(simq(m.data(), rhs.data(), 2), 0);
  EXPECT_EQ(rhs[0], 2.0);
  EXPECT_DOUBLE_EQ(rhs[1], 5.0);
}

TEST(Simq, EqualMagnitudePivotCandidatesKeepTheUpperRow) {
  // Column 1 holds 2 and -2. Without an exchange row 1 is scaled by 2 and
  // the untouched sub-diagonal entry stays -2; an exchange would put 6 / -2
  // into A(1,2) and 2 into A(2,1).
  std::vector<double> a = column_major({{2.0, 4.0}, {-2.0, 6.0}});
  std::vector<double> b = {2.0, 18.0};
  ASSERT_EQ(simq(a.data(), b.data(), 2), 0);
  EXPECT_EQ(a[0], 1.0);   // A(1,1) = 2 / 2
  EXPECT_EQ(a[2], 2.0);   // A(1,2) = 4 / 2
  EXPECT_EQ(a[1], -2.0);  // A(2,1): not exchanged, not cleared
  EXPECT_EQ(a[3], 1.0);   // A(2,2) = (6 - (-2)(2)) / 10
  // 2x + 4y = 2, -2x + 6y = 18: y = 2, x = -3.
  EXPECT_EQ(b[0], -3.0);
  EXPECT_EQ(b[1], 2.0);
}

TEST(Simq, LargerMagnitudeBelowIsExchangedIntoPlace) {
  std::vector<double> a = column_major({{1.0, 2.0}, {-4.0, 2.0}});
  std::vector<double> b = {5.0, -2.0};
  ASSERT_EQ(simq(a.data(), b.data(), 2), 0);
  EXPECT_EQ(a[0], 1.0);    // (-4) / (-4)
  EXPECT_EQ(a[2], -0.5);   // 2 / (-4)
  EXPECT_EQ(a[1], 1.0);    // A(2,1): the old A(1,1), exchanged down, not cleared
  // x + 2y = 5, -4x + 2y = -2: x = 1.4, y = 1.8.
  EXPECT_NEAR(b[0], 1.4, 1e-15);
  EXPECT_NEAR(b[1], 1.8, 1e-15);
}

TEST(Simq, SingularAtALaterStepLeavesTheRightHandSidePartlyTransformed) {
  // Rows (1,2) and (2,4): the first step takes row 2 as pivot (2 > 1),
  // b becomes (b2/2, b1) and then b(2) - b(1)*A(2,1) = b1 - b2/2; the
  // second pivot is exactly zero.
  std::vector<double> a = column_major({{1.0, 2.0}, {2.0, 4.0}});
  std::vector<double> b = {3.0, 10.0};
  EXPECT_EQ(simq(a.data(), b.data(), 2), 1);
  EXPECT_EQ(b[0], 5.0);
  EXPECT_EQ(b[1], -2.0);
}

TEST(Simq, SolvesAKnownThreeByThreeSystemStoredColumnByColumn) {
  //  2x +  y -  z =   8
  // -3x -  y + 2z = -11
  // -2x +  y + 2z =  -3   ->  x = 2, y = 3, z = -1
  std::vector<double> a = column_major({{2, 1, -1}, {-3, -1, 2}, {-2, 1, 2}});
  std::vector<double> b = {8, -11, -3};
  ASSERT_EQ(simq(a.data(), b.data(), 3), 0);
  EXPECT_NEAR(b[0], 2.0, 1e-14);
  EXPECT_NEAR(b[1], 3.0, 1e-14);
  EXPECT_NEAR(b[2], -1.0, 1e-14);

  // The transposed storage is a different system with a different solution:
  // the layout really is column by column.
  std::vector<double> t = {2, 1, -1, -3, -1, 2, -2, 1, 2};
  std::vector<double> bt = {8, -11, -3};
  ASSERT_EQ(simq(t.data(), bt.data(), 3), 0);
  EXPECT_GT(std::fabs(bt[0] - 2.0) + std::fabs(bt[1] - 3.0) + std::fabs(bt[2] + 1.0), 0.1);
}

TEST(Simq, SolvesAFifteenByFifteenSystem) {
  // A non-symmetric, well-conditioned matrix with a known solution; the
  // largest entry of each column lies below the diagonal for many columns,
  // so the row exchanges are exercised.
  const int n = 15;
  std::vector<std::vector<double>> rows(n, std::vector<double>(n));
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      rows[r][c] = std::sin(1.0 + r * 1.7 + c * 0.61) + ((r == (c + 5) % n) ? 20.0 : 0.0);
  std::vector<double> x(n);
  for (int i = 0; i < n; ++i) x[i] = 0.5 * i - 3.0;
  std::vector<double> b(n, 0.0);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) b[r] += rows[r][c] * x[c];

  std::vector<double> a = column_major(rows);
  ASSERT_EQ(simq(a.data(), b.data(), n), 0);
  for (int i = 0; i < n; ++i) EXPECT_NEAR(b[i], x[i], 1e-12) << "unknown " << i + 1;
}

}  // namespace
}  // namespace xas
