#include "background/simq.h"

#include <cmath>

namespace xas {

int simq(double* a, double* b, int n) {
  // 1-based access, column-major.
  auto A = [a, n](int r, int c) -> double& { return a[(c - 1) * n + (r - 1)]; };
  auto B = [b](int r) -> double& { return b[r - 1]; };

  for (int j = 1; j <= n; ++j) {
    double v = 0.0;
    int p = j;
    for (int i = j; i <= n; ++i) {
      if (std::fabs(v) < std::fabs(A(i, j))) {
        v = A(i, j);
        p = i;
      }
    }
    if (std::fabs(v) - 0.0 <= 0.0) return 1;

    for (int k = j; k <= n; ++k) {
      double held = A(j, k);
      A(j, k) = A(p, k);
      A(p, k) = held;
      A(j, k) = A(j, k) / v;
    }
    // b(p) takes the old b(j) first, so that a pivot in row j itself just
    // divides b(j) by v.
    double old_bj = B(j);
    double old_bp = B(p);
    B(p) = old_bj;
    B(j) = old_bp / v;

    if (j == n) break;
    for (int ix = j + 1; ix <= n; ++ix) {
      for (int jx = j + 1; jx <= n; ++jx) A(ix, jx) = A(ix, jx) - A(ix, j) * A(j, jx);
      B(ix) = B(ix) - B(j) * A(ix, j);
    }
  }

  for (int j = 1; j <= n - 1; ++j) {
    int ib = n - j;
    for (int c = n; c >= n - j + 1; --c) B(ib) = B(ib) - A(ib, c) * B(c);
  }
  return 0;
}

}  // namespace xas
