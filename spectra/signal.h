// The EXAFS signal: background, hydrogen-like normalisation and chi of every
// point, and the choice and report of the Fourier-transform parameters.
#pragma once

namespace xas {

struct Run;

// The hydrogen-like normalisation factor of a point d = E - E0 keV from an
// edge at e0 keV whose wave number is k: the linear form 1 - (8/3) d/E0 at or
// below the edge, the exact form above it.
float normalisation(float d, float e0, float k, float pi);

// Fills fit, anor, exafs.chi and exafs.n, and examax.
void extract_signal(Run& run);

// Sets akmin, akmax, dk, wh, rmin, rmax, dr and fourie.n and reports them.
void choose_transform(Run& run);

}  // namespace xas
