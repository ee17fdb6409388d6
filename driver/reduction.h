// One reduction as a library call: a spectrum in, every record of its
// stages out, and no file touched. The screen lines of the stages are kept
// in three parts; the driver puts the announcements of the result files
// between them and the writers render the records into the files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "background/edge.h"
#include "background/fit.h"
#include "background/model.h"
#include "common/records.h"
#include "spectra/kaxis.h"
#include "spectra/noise.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace xas {

class TextOut;
struct Reduction;

// How the reduction runs besides its data.
struct ReductionSettings {
  int threads = 0;  // threads of the transform (0: one per core)
  bool transform = true;  // false: every stage but the transform (fourie stays empty)
  EdgeRule edge;              // which edge energy (the specified one where it is sound)
  TransformChoice parameters;  // transform parameters given (NaN: the program's own)
  // Called on the calling thread once the reduction is known to stand,
  // while the transform runs on the others: every record but `fourie` is
  // final then. Work that does not need the transform (the files that do
  // not show it) can be done here meanwhile.
  std::function<void(const Reduction&)> while_transforming;
};

// Every record of one reduction. Energies are in keV once it has run.
struct Reduction {
  Data data;
  Logic logic;
  Deriv deriv;
  Edge edge;
  Model model;
  Background background;
  Exafs exafs;
  int ne0 = 0;  // first point above E0
  Normalised normalised;
  TransformParams params;
  Fourie fourie;
  NoiseEstimate noise;

  // The screen lines of the stages: from the energy unit to the edge report,
  // then the normalisation and the transform parameters, then the noise.
  std::string screen_edge;
  std::string screen_signal;
  std::string screen_noise;
  // Results worth a second look, in the order they were found.
  std::vector<std::string> warnings;
  // What the reduction was asked to do otherwise than specified, and what it
  // is (an edge energy given, XANES only): for the summary, not warnings.
  std::vector<std::string> notes;

  // The values of the report, as the screen prints them.
  float e0_ev() const { return edge.e0 * 1000.0f; }
  float slope() const { return edge.slp / background.ajump; }
  float jump() const { return background.ajump; }
  float ewl_ev() const { return edge.ewl * 1000.0f; }
  float hwl() const { return edge.wl / background.ajump; }
  // The data reach less than kXanesOnly above kmin: no transform worth
  // showing.
  bool xanes_only() const;
};

// Refuses points the stages cannot work on: none at all, values that are
// not finite numbers, energies that are not positive. `name` names the data
// in the message.
bool check_points(const Data& data, const std::string& name, std::string* err);

// Brings the energies to keV: a first energy of 80 or more is taken as eV
// (every energy divided by 1000), with the screen line that says which.
void energies_to_kev(Data& data, TextOut& screen);

// A k range above kmin shorter than this (1/Angstrom) gives no transform
// worth showing: the reduction is noted as XANES only.
inline constexpr float kXanesOnly = 3.0f;

// Reduces `out.data` (energies in eV, as the reader gives them) in place:
// every stage in its order, the transform on its threads while the noise is
// estimated. Fails, with a one-line message, where the data cannot carry a
// reduction; the records then hold what the stages before had found.
bool reduce(const ReductionSettings& settings, Reduction& out, std::string* err);

}  // namespace xas
