// The TopDrawer script of the noise estimate (".topn"): the absolute residual
// of every covered point and the r.m.s. level of each fitted range.
#pragma once

#include <string>

namespace xas {

struct Run;

// Names, announces and opens the file on unit 82 and writes its header.
bool open_noise_plot(Run& run, std::string* err);

// One fitted range: its points, "plot", the level at its two ends, "join".
void noise_plot_block(Run& run, int mp0, int mp1, float rms);

}  // namespace xas
