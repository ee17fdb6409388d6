#include "output/curves.h"

#include <algorithm>

#include "spectra/transform.h"

namespace xas {

Curves reduction_curves(const Data& data, const Edge& edge, const Background& background,
                        const Normalised& normalised, const Exafs& exafs, int ne0,
                        const TransformParams& params) {
  Curves c;
  const float low = edge.e0 * 0.998f;
  for (int i = 1; i <= data.n; ++i) {
    const float e = data.energy(i);
    c.energy.push_back(e * 1000.0f);
    c.pre_edge.push_back(background.aa * e + background.bb);
    c.normalised.push_back(data.abs_lin(i) / background.ajump);
    c.background.push_back(e < low || i > normalised.fit.size() ? data.absorption(i)
                                                                  : normalised.fit(i));
  }
  for (int i = std::max(ne0, 1); i <= exafs.n; ++i) {
    const float k = exafs.k(i), chi = exafs.chi(i);
    c.k.push_back(k);
    c.chi.push_back(chi);
    c.chi_k2.push_back(chi * (k * k));
    c.window.push_back(window(k, params.akmin, params.akmax, params.dk, kPi));
  }
  return c;
}

}  // namespace xas
