// XDI files of a reduction, for other XAS tools: the normalised absorption
// ("_norm.xdi"), chi(k) ("_chi.xdi") and the transform ("_ft.xdi"), each
// with the version line, named columns with their units, the report's values
// in the header and a label line, the numbers written so that they read back
// to the same single-precision values.
#pragma once

#include <string>

#include "background/edge.h"
#include "background/fit.h"
#include "common/records.h"
#include "output/curves.h"
#include "spectra/kaxis.h"
#include "spectra/noise.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace xas {

class TextOut;

// What the files say besides the reduction's values.
struct XdiHead {
  std::string source;   // the data the spectrum came from
  std::string channel;  // how its absorption was formed, in words
  char technique = 0;   // 't' transmission, 'f' fluorescence, 0 not known
  std::string element;  // the absorber and its edge, when known
  std::string edge;
  double dspacing = 0.0;  // the monochromator crystal's spacing (Angstrom), when known
};

// The names the files take after a result base name.
inline constexpr const char* kXdiSuffixes[] = {"_norm.xdi", "_chi.xdi", "_ft.xdi"};

// The values of one reduction the files are written from.
struct XdiRecords {
  const Data& data;
  const Deriv& deriv;
  const Edge& edge;
  const Background& background;
  const NoiseEstimate& noise;
  const TransformParams& params;
  const Fourie& fourie;
  const Curves& curves;
};

// Energy (eV), absorption, normalised absorption, background, derivative.
void write_norm_xdi(const XdiHead& head, const XdiRecords& r, TextOut& out);
// k, chi, chi k^2 and the window, from the first point above E0.
void write_chi_xdi(const XdiHead& head, const XdiRecords& r, TextOut& out);
// R and |FT|.
void write_ft_xdi(const XdiHead& head, const XdiRecords& r, TextOut& out);

}  // namespace xas
