// The TopDrawer scripts of a run: absorption with derivative and fit marks
// (".topa"), the EXAFS signal (".tope") and the Fourier transform (".topf").
#pragma once

#include <string>

namespace xas {

struct Run;

// The vertical half-range of the EXAFS plot: the smallest step of the ladder
// 0.01, 0.02, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4 not below examax.
float exafs_plot_limit(float examax);

// lmax (last wave number plus one, truncated) and exalim.
void set_exafs_plot_limits(Run& run);

// The lines of each script, composed into its unit; they reach the file
// when it is opened. The EXAFS plot needs set_exafs_plot_limits first.
void compose_absorption_plot(Run& run);
void compose_exafs_plot(Run& run);
void compose_fourier_plot(Run& run);

// Composes the script, then names, announces and opens its file.
bool write_absorption_plot(Run& run, std::string* err);
bool write_exafs_plot(Run& run, std::string* err);
bool write_fourier_plot(Run& run, std::string* err);

}  // namespace xas
