// The absorption result file (".gabs"): a header with the edge parameters and
// one row per point of energy, absorption, derivative, background, absorption
// less the pre-edge line, normalisation and noise.
#pragma once

#include <string>

namespace xas {

struct Run;

// Names, announces and opens the file on unit 98 and writes its two header lines.
bool open_absorption_file(Run& run, std::string* err);

// One row per point, after the noise estimate.
void write_absorption_rows(Run& run);

}  // namespace xas
