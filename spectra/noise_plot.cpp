#include "spectra/noise_plot.h"

#include "common/freeform_write.h"
#include "common/text_out.h"

namespace xas {

void write_noise_plot_header(const Data& data, TextOut& out) {
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
}

void write_noise_plot_block(const Data& data, const NoiseRange& range, TextOut& out) {
  for (int j = range.mp0; j <= range.mp1; ++j)
    out.record(FreeFormRecord()
                   .add_real(data.energy(j))
                   .add_real(range.residuals[static_cast<std::size_t>(j - range.mp0)]));
  out.record(FreeFormRecord().add_text("plot"));
  out.record(FreeFormRecord().add_real(data.energy(range.mp0)).add_real(range.rms));
  out.record(FreeFormRecord().add_real(data.energy(range.mp1)).add_real(range.rms));
  out.record(FreeFormRecord().add_text("join"));
}

void write_noise_plot(const Data& data, const NoiseEstimate& estimate, TextOut& out) {
  write_noise_plot_header(data, out);
  for (const NoiseRange& range : estimate.ranges) write_noise_plot_block(data, range, out);
}

}  // namespace xas
