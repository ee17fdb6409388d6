#include "background/absorption_file.h"

#include "common/freeform_write.h"
#include "common/layout.h"
#include "common/text_out.h"

namespace xas {

void write_absorption_header(const Edge& edge, const Background& background, TextOut& out) {
  static const Layout kHeader(
      "('# EDGE= ',F12.5,' SLOPE=',F12.5,' JUMP=',F10.5,'  EWL=',F12.5,' HWL =',F10.5)");
  const float ajump = background.ajump;
  out.lines(kHeader.format(
      {edge.e0 * 1000.0f, edge.slp / ajump, ajump, edge.ewl * 1000.0f, edge.wl / ajump}));
  out.record(FreeFormRecord().add_text(
      "# Columns: 1-Energy 2-abs. 3-der. 4-bck 5-abs-lin 6-norm 7-noise"));
}

void write_average_noise(float sxave, TextOut& out) {
  out.record(FreeFormRecord().add_text("# average r m s noise = ").add_real(sxave));
}

void write_absorption_rows(const Data& data, const Deriv& deriv, float e0, const PointValues& fit,
                           const PointValues& anor, TextOut& out) {
  const float low = e0 * 0.998f;
  for (int i = 1; i <= data.n; ++i) {
    const bool below = data.energy(i) < low;
    out.record(FreeFormRecord()
                   .add_real(data.energy(i) * 1000.0f)
                   .add_real(data.absorption(i))
                   .add_real(deriv.slope(i))
                   .add_real(below ? 0.0f : fit(i))
                   .add_real(data.abs_lin(i))
                   .add_real(below ? 0.0f : anor(i))
                   .add_real(data.noise(i)));
  }
}

}  // namespace xas
