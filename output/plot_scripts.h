// The TopDrawer scripts of a run: absorption with derivative and fit marks
// (".topa"), the EXAFS signal (".tope") and the Fourier transform (".topf").
#pragma once

#include "background/edge.h"
#include "background/fit.h"
#include "common/records.h"
#include "spectra/kaxis.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace xas {

class TextOut;

// The vertical half-range of the EXAFS plot: the smallest step of the ladder
// 0.01, 0.02, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4 not below examax.
float exafs_plot_limit(float examax);

// The limits of the EXAFS plot: lmax, the last wave number plus one,
// truncated (held within an int), and exalim.
struct ExafsPlotLimits {
  int lmax = 0;
  float exalim = 0.0f;
};
ExafsPlotLimits exafs_plot_limits(const Data& data, const Exafs& exafs, float examax);

// The three scripts; `file` is the name of the data file that was read.
void write_absorption_plot(const Name90& file, const Data& data, const Deriv& deriv,
                           const Edge& edge, const Background& background, const PointValues& fit,
                           TextOut& out);
void write_exafs_plot(const Name90& file, const ExafsPlotLimits& limits, const Exafs& exafs,
                      int ne0, TextOut& out);
void write_fourier_plot(const Name90& file, const TransformParams& params, const Fourie& fourie,
                        TextOut& out);

}  // namespace xas
