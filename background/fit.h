// The background fit: the pre-edge line, the segments above the edge, the
// k^2-weighted least-squares fit of the background model and the edge jump,
// with the screen report of EDGE, SLOPE, JUMP, EWL and HWL.
#pragma once

#include <string>

#include "background/edge.h"
#include "background/model.h"
#include "common/records.h"

namespace xas {

class TextOut;
class Warnings;

// The pre-edge line, the range of the fit and the edge jump.
struct Background {
  float aa = 0.0f;     // pre-edge line: absorption = bb + aa * energy (keV)
  float bb = 0.0f;
  float whf = 0.0f;    // weight exponent of the fit
  float ajump = 0.0f;  // edge jump: the background's step at E0
  int pre_last = 0;    // last point of the pre-edge line
  int imin = 0;        // first point of the fit
  int imax = 0;        // last point of the fit less one
};

// The segment table for data reaching e(n) above an edge at e0: number of
// segments and knots, term counts and mode of the model, and the weight
// exponent.
void choose_segments(const Data& data, float e0, Model& model, Background& background);

// The pre-edge line over points 2 up to the first point above e1 (that point
// included). Returns the number of points used and fills aa and bb (not
// finite numbers when the line is undetermined).
int pre_edge_line(const Data& data, float e1, Background& background);

// fit_background: everything above, in order, then the report; k is the
// wave number of each point (1/Angstrom), which weights the fit. Fills
// data.abs_lin, reduces deriv.slope by the pre-edge slope, sets the fit
// switch of logic, and fills the model (E0 from edge.e0) and background.
// Fails, with a message for the user, when the pre-edge line is undetermined
// or fewer points than parameters lie in the fit range; warns of a pre-edge
// line through one point, a short fit range and a singular fit.
bool fit_background(const Edge& edge, const PointValues& k, Data& data, Deriv& deriv, Logic& logic,
                    Model& model, Background& background, TextOut& screen, Warnings& warnings,
                    std::string* err);

// Everything after the fit divides by the edge jump: a jump that is not a
// positive number (a background that steps down, as with I0 and I1 swapped,
// or a fit that failed) leaves nothing to normalise to, and a jump many
// times the whole range of the absorption means a fit that ran away.
bool check_jump(const Data& data, const Background& background, std::string* err);

}  // namespace xas
