#include "spectra/kaxis.h"

#include <cmath>

#include "driver/run.h"

namespace xas {

void wave_numbers(Run& run) {
  const Data& data = run.data;
  const float e0 = run.model.spl0.e0;
  run.ne0 = 0;
  for (int i = 1; i <= data.n; ++i) {
    float d = data.energy(i) - e0;
    if (d > 0.0f) {
      run.exafs.k(i) = std::sqrt(262.47f * d);
    } else {
      run.exafs.k(i) = 0.0f;
      run.ne0 = i;
    }
  }
  run.ne0 = run.ne0 + 1;
}

}  // namespace xas
