// The gnuplot data files of the transform (".gfou": |FT| against R) and of
// the EXAFS signal (".gexa": chi against k, with the energy of each point).
#pragma once

#include <string>

namespace xas {

struct Run;

bool write_fourier_file(Run& run, std::string* err);
bool write_exafs_file(Run& run, std::string* err);

}  // namespace xas
