// The gnuplot data files of the transform (".gfou": |FT| against R) and of
// the EXAFS signal (".gexa": chi against k, with the energy of each point).
#pragma once

#include "background/edge.h"
#include "background/fit.h"
#include "common/records.h"
#include "spectra/kaxis.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace xas {

class TextOut;

// Header, column line and one row per R point.
void write_fourier_file(const TransformParams& params, const Fourie& fourie, TextOut& out);

// Header, column line and one row per point from ne0 on.
void write_exafs_file(const Data& data, const Edge& edge, const Background& background,
                      const Exafs& exafs, int ne0, TextOut& out);

}  // namespace xas
