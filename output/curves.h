// The curves of a reduction as other tools plot them, computed from the
// records the result files are printed from: the energy of each point in eV,
// the pre-edge line, the normalised absorption, the background, chi weighted by k^2 and the transform's window.
#pragma once

#include <vector>

#include "background/edge.h"
#include "background/fit.h"
#include "common/records.h"
#include "spectra/kaxis.h"
#include "spectra/signal.h"

namespace xas {

// Every curve of one reduction, one value per point (per point from ne0 on
// for the k curves), in single precision.
struct Curves {
  std::vector<float> energy;      // eV: the keV energy times 1000, as the files print it
  std::vector<float> pre_edge;    // the pre-edge line bb + aa E
  std::vector<float> normalised;  // the absorption less the pre-edge line, over the jump
  // The background (pre-edge line plus the fitted model) from 0.998 E0 on;
  // below, where none is fitted (the absorption file prints 0 there), the
  // absorption itself, as other XAS tools fill it: chi is 0 there.
  std::vector<float> background;
  std::vector<float> k, chi;      // from the first point above E0
  std::vector<float> chi_k2;      // chi k^2
  std::vector<float> window;      // the transform's window at each k
};

// The curves of a reduction whose records are final (energies in keV).
Curves reduction_curves(const Data& data, const Edge& edge, const Background& background,
                        const Normalised& normalised, const Exafs& exafs, int ne0,
                        const TransformParams& params);

}  // namespace xas
