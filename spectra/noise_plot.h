// The TopDrawer script of the noise estimate (".topn"): the absolute residual
// of every covered point and the r.m.s. level of each fitted range.
#pragma once

#include "common/records.h"
#include "spectra/noise.h"

namespace xas {

class TextOut;

// The eight command lines at the head of the file.
void write_noise_plot_header(const Data& data, TextOut& out);

// One fitted range: its points with their residuals, "plot", the level at
// its two ends, "join".
void write_noise_plot_block(const Data& data, const NoiseRange& range, TextOut& out);

// The whole script: the header, then a block for each range in order.
void write_noise_plot(const Data& data, const NoiseEstimate& estimate, TextOut& out);

}  // namespace xas
