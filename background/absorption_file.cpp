#include "background/absorption_file.h"

#include "driver/freeform_write.h"
#include "driver/naming.h"
#include "driver/run.h"
#include "output/layout.h"

namespace xas {

bool open_absorption_file(Run& run, std::string* err) {
  if (!start_result_file(run, kAbsorptionFile, err)) return false;
  static const Layout kHeader(
      "('# EDGE= ',F12.5,' SLOPE=',F12.5,' JUMP=',F10.5,'  EWL=',F12.5,' HWL =',F10.5)");
  const float e0 = run.model.spl0.e0;
  run.unit98.lines(kHeader.format({e0 * 1000.0f, run.slp / run.ajump, run.ajump,
                                   run.ewl * 1000.0f, run.wl / run.ajump}));
  run.unit98.record(FreeFormRecord().add_text(
      "# Columns: 1-Energy 2-abs. 3-der. 4-bck 5-abs-lin 6-norm 7-noise"));
  return true;
}

void write_absorption_rows(Run& run) {
  const Data& data = run.data;
  const float low = run.model.spl0.e0 * 0.998f;
  for (int i = 1; i <= data.n; ++i) {
    const bool below = data.energy(i) < low;
    run.unit98.record(FreeFormRecord()
                          .add_real(data.energy(i) * 1000.0f)
                          .add_real(data.absorption(i))
                          .add_real(run.deriv.slope(i))
                          .add_real(below ? 0.0f : run.fit(i))
                          .add_real(data.abs_lin(i))
                          .add_real(below ? 0.0f : run.anor(i))
                          .add_real(data.noise(i)));
  }
}

}  // namespace xas
