#include "spectra/noise_plot.h"

#include "driver/freeform_write.h"
#include "driver/naming.h"
#include "driver/run.h"

namespace xas {

bool open_noise_plot(Run& run, std::string* err) {
  if (!start_result_file(run, kNoisePlotFile, err)) return false;
  ResultFile& out = run.unit82;
  const Data& data = run.data;
  out.record(FreeFormRecord().add_text(" set mode vector"));
  out.record(FreeFormRecord().add_text(" set font duplex"));
  out.record(FreeFormRecord()
                 .add_text(" set limits x ")
                 .add_real(data.energy(1))
                 .add_real(data.energy(data.n)));
  out.record(FreeFormRecord().add_text(" set limits y .000001 .01"));
  out.record(FreeFormRecord().add_text(" set scale y log"));
  out.record(FreeFormRecord().add_text(" set label size 2.5"));
  out.record(FreeFormRecord().add_text(" title 5.5 0.6 SIZE 2.5 \"E (keV)\""));
  out.record(FreeFormRecord().add_text(" title LEFT SIZE 2.5 \"r.m.s. noise\""));
  return true;
}

void noise_plot_block(Run& run, int mp0, int mp1, float rms) {
  ResultFile& out = run.unit82;
  const Data& data = run.data;
  for (int j = mp0; j <= mp1; ++j)
    out.record(FreeFormRecord().add_real(data.energy(j)).add_real(data.noise(j)));
  out.record(FreeFormRecord().add_text("plot"));
  out.record(FreeFormRecord().add_real(data.energy(mp0)).add_real(rms));
  out.record(FreeFormRecord().add_real(data.energy(mp1)).add_real(rms));
  out.record(FreeFormRecord().add_text("join"));
}

}  // namespace xas
