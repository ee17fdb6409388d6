// The records of one reduction, zero, for calling its stages one at a time,
// with the screen and the warnings kept in memory; and the stages run in the
// program's order up to a chosen one.
#pragma once

#include <memory>
#include <string>

#include "background/edge.h"
#include "background/fit.h"
#include "background/model.h"
#include "common/records.h"
#include "driver/request.h"
#include "common/warnings.h"
#include "common/text_out.h"
#include "spectra/kaxis.h"
#include "spectra/noise.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace xas::test {

struct StageRecords {
  Request request;
  Data data;
  Logic logic;
  int itop = 0;
  Deriv deriv;
  Edge edge;
  Model model;
  Background background;
  Exafs exafs;
  int ne0 = 0;
  Normalised normalised;
  TransformParams params;
  Fourie fourie;
  NoiseEstimate noise;
  TextOut screen;  // in memory
  Warnings warnings;
  TextOut absorption_file;  // in memory: what the noise stage adds to .gabs
  TextOut noise_plot;       // in memory

  // n points in every per-point record (the values held kept, new ones
  // zero), for tests that fill the records a stage reads by hand.
  void size(int n) {
    data.resize(n);
    deriv.emid.resize(n);
    deriv.slope.resize(n);
    exafs.k.resize(n);
    exafs.chi.resize(n);
    normalised.fit.resize(n);
    normalised.anor.resize(n);
  }
};

// On the heap: the records are large.
std::unique_ptr<StageRecords> stage_records();

// The stages of a run after loading, in their order.
enum class Step { edge, axis, fit, jump, signal, transform, noise };

// Runs the stages from the edge location up to and including `last` on the
// loaded data (energies in keV). The noise stage writes into the records'
// absorption_file and, when itop is 1, noise_plot. Returns false, with err
// set, when a stage refuses.
bool run_to(StageRecords& r, Step last, std::string* err, int threads = 0);

// Loads a data file with the dialogue's answers (name, columns) through the
// data reader, then brings the energies to keV as the driver does.
bool load(StageRecords& r, const std::string& answers, std::string* err);

}  // namespace xas::test
