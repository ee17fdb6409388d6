// The driver: one run of the program, from the banner to the exit status.
#pragma once

#include <string>

namespace xas {

struct Run;

// Runs the dialogue and every stage in order; returns the exit status: 0 at
// the normal end, 2 after a fatal input, data or file error (its message is
// on the error stream).
int run_reduction(Run& run);

// The banner: seven lines of 33 characters.
void banner(Run& run);

// Refuses a spectrum the stages cannot work on: no points at all, or values
// that are not finite numbers.
bool check_points(Run& run, std::string* err);

// The plot question; sets itop.
bool ask_plot(Run& run, std::string* err);

// Brings the energies to keV: a first energy of 80 or more is taken as eV.
void energies_to_kev(Run& run);

}  // namespace xas
