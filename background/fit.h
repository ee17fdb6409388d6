// The background fit: the pre-edge line, the segments above the edge, the
// k^2-weighted least-squares fit of the background model and the edge jump,
// with the screen report of EDGE, SLOPE, JUMP, EWL and HWL.
#pragma once

#include <string>

namespace xas {

struct Run;

// The segment table: number of segments and knots for data reaching e(n),
// with the weight exponent, term counts and mode. Fills model.spl0.nsp,
// model.spl1.xk and ideg, model.spll.mode and run.whf.
void choose_segments(Run& run);

// The pre-edge line over points 2 up to the first point above e1 (that point
// included). Returns the number of points used and fills aa and bb (not
// finite numbers when the line is undetermined).
int pre_edge_line(Run& run, float e1);

// fit_background: everything above, in order. Fails, with a message for the
// user, when the pre-edge line is undetermined or fewer points than
// parameters lie in the fit range; warns of a pre-edge line through one
// point, a short fit range and a singular fit.
bool fit_background(Run& run, std::string* err);

// Everything after the fit divides by the edge jump: a jump that is not a
// positive number (a background that steps down, as with I0 and I1 swapped,
// or a fit that failed) leaves nothing to normalise to and stops the run, and
// so does a jump many times the whole range of the absorption (a fit that
// ran away).
bool check_jump(const Run& run, std::string* err);

}  // namespace xas
