// simq: solves a small dense system A*x = b in place, in double precision, by
// Gaussian elimination with row pivoting and back substitution.
#pragma once

namespace xas {

// a holds the n*n coefficients column by column (row r, column c at
// a[(c-1)*n + r-1]); b the right-hand side, replaced by the solution. Returns
// 0 when solved and 1 when a pivot is exactly zero, in which case a and b are
// left as far as the elimination had got.
int simq(double* a, double* b, int n);

}  // namespace xas
