// Pictures of reductions, drawn by gnuplot with the program's scripts: the
// five panels of one spectrum (BASE.png or BASE.svg) and the picture of a
// series. The scripts are found beside the program: in share/xasreduce/ of
// its own directory (a build tree) or of its parent (an installed program).
#pragma once

#include <string>
#include <vector>

#include "driver/driver.h"

namespace xas {

// The directory that holds the gnuplot scripts; empty when there is none.
std::string script_directory();

// Whether gnuplot can be run (it is looked for on PATH).
bool gnuplot_found();

// Draws the reduction whose results are DIR/BASE.* as DIR/BASE.<term>
// (term "png" or "svg"). Fails with a message that says why.
bool draw_spectrum(const std::string& directory, const Outcome& outcome, const std::string& term,
                   std::string* err);

// One spectrum of a series: its place in the series (from 1) and its outcome.
struct SeriesEntry {
  int place = 0;
  const Outcome* outcome = nullptr;
};

// Draws E0, jump and noise against the place in the series and every |FT|
// overlaid, as DIR/xasreduce-series.<term>.
bool draw_series(const std::string& directory, const std::vector<SeriesEntry>& entries,
                 const std::string& title, const std::string& term, std::string* err);

// The digits the screen report prints for a value (a free-form real, its
// blanks removed).
std::string report_digits(float value);

}  // namespace xas
