// The EXAFS signal: background, hydrogen-like normalisation and chi of every
// point, and the choice and report of the Fourier-transform parameters.
#pragma once

#include <cmath>

#include "background/fit.h"
#include "background/model.h"
#include "common/records.h"
#include "spectra/kaxis.h"

namespace xas {

class TextOut;

// What the signal pass leaves for the result files besides chi.
struct Normalised {
  PointValues fit;      // background of each point: pre-edge line plus model
  PointValues anor;     // jump times the normalisation factor of each point
  float examax = 0.0f;  // largest |chi| with k > 3 inside the fit range
};

// The parameters of the Fourier transform, all fixed by the program.
struct TransformParams {
  float akmin = 0.0f, akmax = 0.0f;  // k window (1/Angstrom)
  float dk = 0.0f;                   // width of each sine taper
  float wh = 0.0f;                   // exponent of the weight k^wh
  float rmin = 0.0f, rmax = 0.0f;    // R range (Angstrom)
  float dr = 0.0f;                   // R step
  int n = 0;                         // R points: (rmax - rmin) / dr, truncated
};

// The hydrogen-like normalisation factor of a point d = E - E0 keV from an
// edge at e0 keV whose wave number is k: the linear form 1 - (8/3) d/E0 at or
// below the edge, the exact form above it.
float normalisation(float d, float e0, float k, float pi);

// The signal pass, when the fit switch of logic is on: fills exafs.chi and
// exafs.n and `normalised`, then sets the Fourier switch of logic.
void extract_signal(const Data& data, const Model& model, const Background& background,
                    Logic& logic, Exafs& exafs, Normalised& normalised, TextOut& screen);

// Transform parameters given instead of the program's own (NaN: not given):
// the k window, the taper width, the weight exponent, the end of the R range.
struct TransformChoice {
  float kmin = NAN, kmax = NAN, dk = NAN, kweight = NAN, rmax = NAN;
};

// Chooses and reports the transform parameters, when the Fourier switch is
// on: the program's own (k window from 2.5 to the next-to-last point's k,
// tapers 0.5, weight 2, R from 0 to 10 in steps of 0.02), or those given.
void choose_transform(const Data& data, const Exafs& exafs, const Logic& logic,
                      TransformParams& params, TextOut& screen,
                      const TransformChoice& choice = TransformChoice());

}  // namespace xas
