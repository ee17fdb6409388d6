#include "background/model.h"

namespace xas {

void spline(const Model& model, const float& x, float& y) {
  const Spl0& spl0 = model.spl0;
  const Spl1& spl1 = model.spl1;
  const auto& coef = model.spl2.coef;
  y = 0.0f;
  float e = spl0.e0 + x;
  float t = edge_term(x, spl0.e0);
  y = static_cast<float>(coef(1) * t + y);
  int kt = 1;
  for (int p = 2; kt != spl1.ideg(1); ++p) {
    ++kt;
    y = static_cast<float>(coef(kt) * ipow(x, p) + y);
  }
  for (int s = 2; s <= spl0.nsp; ++s) {
    float d = e - spl1.xk(s);
    if (d < 0.0f) d = 0.0f;
    for (int p = 2; p <= spl1.ideg(s) + 1; ++p) {
      ++kt;
      y = static_cast<float>(coef(kt) * ipow(d, p) + y);
    }
  }
}

}  // namespace xas
