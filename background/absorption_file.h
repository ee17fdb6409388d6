// The absorption result file (".gabs"): a header with the edge parameters and
// one row per point of energy, absorption, derivative, background, absorption
// less the pre-edge line, normalisation and noise.
#pragma once

#include "background/edge.h"
#include "background/fit.h"
#include "common/records.h"

namespace xas {

class TextOut;

// The two header lines: the edge parameters and the column titles.
void write_absorption_header(const Edge& edge, const Background& background, TextOut& out);

// The line the noise estimate adds after the column titles: its average
// r.m.s. noise (written only when it has one).
void write_average_noise(float sxave, TextOut& out);

// One row per point, after the noise estimate has filled data.noise; fit and
// anor are the background and normalisation of each point, written only from
// 0.998 E0 up.
void write_absorption_rows(const Data& data, const Deriv& deriv, float e0, const PointValues& fit,
                           const PointValues& anor, TextOut& out);

}  // namespace xas
