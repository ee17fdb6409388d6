// Pictures of reductions, drawn by gnuplot with the program's scripts: the
// six panels of one spectrum (BASE.png or BASE.svg) and the picture of a
// series. The scripts are found beside the program: in share/xasreduce/ of
// its own directory (a build tree) or of its parent (an installed program).
#pragma once

#include <string>
#include <vector>

#include "driver/reduction.h"
#include "driver/request.h"

namespace xas {

class ResultSet;

// The directory that holds the gnuplot scripts; empty when there is none.
std::string script_directory();

// Whether gnuplot can be run (it is looked for on PATH).
bool gnuplot_found();

// What the picture of one spectrum shows besides its result files.
struct PictureValues {
  std::string name;  // the data file's own name (no directories), as the title shows it
  std::string warning;  // the reduction's warning ("" for none), shown under the title
  bool xanes_only = false;  // no transform worth showing: drawn as such
  float e0 = 0, ewl = 0, jump = 0;
  bool averaged = false;  // an average noise was found
  float noise = 0;
  float kmin = 0, kmax = 0, dk = 0, wh = 0;
  float pre_end = 0, fit_start = 0;  // eV: last pre-edge point, first fitted point
};
PictureValues picture_values(const Request& request, const Reduction& reduction);

// Draws the six panels of a spectrum from its result files into `output`,
// a picture of `term` ("png" or "svg"); gnuplot's messages are kept in a
// scratch file of `directory` to explain a failure.
bool render_spectrum(const std::string& directory, const std::string& gabs,
                     const std::string& gexa, const std::string& gfou, const PictureValues& values,
                     const std::string& term, const std::string& output, std::string* err);

// Draws the spectrum whose result files are in the set (their temporaries,
// before the commit) as BASE.<term> (term "png" or "svg") of the set. When it
// cannot be drawn the earlier picture of that name is removed with the commit
// and the message says why.
bool draw_spectrum(ResultSet& set, const std::string& base, const PictureValues& values,
                   const std::string& term, std::string* err);

// One file of a series, at its place in the series (from 1).
struct SeriesEntry {
  int place = 0;
  std::string name;
  std::string status;  // "ok", "warned" or "refused"
  float e0 = 0, jump = 0;
  bool averaged = false;
  float noise = 0;
  bool shifted = false;
  float shift = 0;
  std::string gabs, gexa, gfou;  // the paths of its result files, when reduced
};

// Draws E0, jump, noise (and shift) against the place in the series with
// the refused and warned files marked, and every reduced spectrum overlaid
// (normalised absorption, chi(k) k^2, |FT|), into `output`, a picture of
// `term` ("png" or "svg"); scratch files go to `directory`.
bool render_series(const std::string& directory, const std::vector<SeriesEntry>& entries,
                   const std::string& title, const std::string& term, const std::string& output,
                   std::string* err);

// The same as DIR/xasreduce-series.<term>, committed.
bool draw_series(const std::string& directory, const std::vector<SeriesEntry>& entries,
                 const std::string& title, const std::string& term, std::string* err);

// The digits the screen report prints for a value (a free-form real, its
// blanks removed).
std::string report_digits(float value);

}  // namespace xas
