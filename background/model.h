// The post-edge background model: a piecewise polynomial in E - E0, joined
// smoothly at a few knots, and the routine `spline` that evaluates it.
//
// B(E) = coef(1)*(1 - (8/3)*x/E0) + sum_p coef(p)*x^p  (first segment)
//        + sum over later segments s of sum_p coef(k)*(E - xk(s))+^p
#pragma once

#include "background/powers.h"
#include "common/records.h"

namespace xas {

inline constexpr int kMaxSegments = 10;  // knots of spl1
inline constexpr int kMaxCoefficients = 15;

// spl0: the model head. e0 is the edge energy E0 (keV) for the whole run.
struct Spl0 {
  float e0 = 0.0f;
  int nsp = 0;   // number of segments
  int npar = 0;  // number of coefficients
};

// spl1: the segmentation.
struct Spl1 {
  OneBased<float, kMaxSegments> xk;  // fit start, inner knots, fit end
  OneBased<int, kMaxSegments> ideg;  // coefficients each segment adds
};

// spl2: the coefficients, in the order of the terms.
struct Spl2 {
  OneBased<double, kMaxCoefficients> coef;
};

// spll: the mode; 'S' makes the first term the hydrogen-like edge term.
struct Spll {
  char mode = '\0';
};

// The background model as a whole, read by `spline`.
struct Model {
  Spl0 spl0;
  Spl1 spl1;
  Spl2 spl2;
  Spll spll;
};

// The hydrogen-like edge term at x = E - E0 (keV): 1 - (8/3) x / E0, the
// line through 1 at E0 with the slope of (E/E0)^(-8/3) there, in single
// precision (2.6666667 is the single value nearest to 8/3).
inline float edge_term(float x, float e0) { return 1.0f - (2.6666667f * x) / e0; }

// The model at energy offset x = E - E0 (keV), in the precision the fit used.
void spline(const Model& model, const float& x, float& y);

}  // namespace xas
