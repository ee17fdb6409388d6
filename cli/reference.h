// The reference channel of a data file, a foil measured in the same beam
// behind the sample, and its edge energy: where the monochromator put the
// reference's edge in this scan, which aligns the scans of a series.
#pragma once

#include <string>
#include <vector>

#include "cli/column_choice.h"
#include "cli/formats/head.h"
#include "driver/request.h"
#include "results/data_file.h"

namespace xas {

struct ReferenceEdge {
  bool found = false;
  float e0 = 0.0f;    // eV, from the smoothed derivative
  std::string label;  // the channel: "ln(itrans/irefer)", "murefer", "col 5"
  std::string why;    // when not found: why, in the terms of the options
};

// The reference of a file whose sample channel `sample` reads: the columns
// given with --reference (one: the reference's absorption, or, in a
// transmission file, its intensity behind the reference foil, absorption
// ln(I1/IREF); two: ln(A/B)), or else the one the file's names offer (a
// reference absorption such as murefer, or an intensity such as irefer with
// the transmitted I1). Its edge energy is found as --e0 smooth finds it.
ReferenceEdge reference_edge(const TableHead& head, const DataText& text, const Request& sample,
                             const std::vector<ColumnRef>& given);

}  // namespace xas
