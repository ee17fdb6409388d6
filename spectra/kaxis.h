// The photoelectron wave-number axis k of every point, measured from E0.
#pragma once

#include "common/records.h"

namespace xas {

// exafs: the EXAFS signal on the wave-number axis. Element i belongs to point i.
struct Exafs {
  int n = 0;        // set by the signal pass
  PointValues k;    // 1/Angstrom; 0 at or below E0
  PointValues chi;  // 0 below E0
};

// k(i) = sqrt(262.47 * (E(i) - E0)) above the edge at e0 (keV), else 0;
// ne0 = one past the last point at or below E0.
void wave_numbers(const Data& data, float e0, Exafs& exafs, int& ne0);

}  // namespace xas
