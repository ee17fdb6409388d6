// The gnuplot data files of the transform (".gfou": |FT| against R) and of
// the EXAFS signal (".gexa": chi against k, with the energy of each point).
#pragma once

#include <string>

namespace xas {

struct Run;

// The lines of each file, composed into its unit; they reach the file when
// it is opened.
void compose_fourier_file(Run& run);
void compose_exafs_file(Run& run);

// Composes the file, then names, announces and opens it.
bool write_fourier_file(Run& run, std::string* err);
bool write_exafs_file(Run& run, std::string* err);

}  // namespace xas
