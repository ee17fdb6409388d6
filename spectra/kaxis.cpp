#include "spectra/kaxis.h"

#include <cmath>

namespace xas {

void wave_numbers(const Data& data, float e0, Exafs& exafs, int& ne0) {
  ne0 = 0;
  exafs.k.zero(data.n);
  exafs.chi.zero(data.n);
  for (int i = 1; i <= data.n; ++i) {
    const float d = data.energy(i) - e0;
    if (d > 0.0f) {
      exafs.k(i) = std::sqrt(262.47f * d);
    } else {
      exafs.k(i) = 0.0f;
      ne0 = i;
    }
  }
  ne0 = ne0 + 1;
}

}  // namespace xas
