#include "driver/dialogue.h"

#include <cmath>

#include "driver/answers.h"
#include "common/freeform_write.h"
#include "common/message_text.h"
#include "common/text_out.h"

namespace xas {

void banner(TextOut& screen) {
  static const char* const kLines[] = {
      "---------------------------------",
      " xasreduce                       ",
      " XAS edge, EXAFS and Fourier     ",
      " by the xasreduce developers     ",
      " version 1.0.0                   ",
      " data set: max 15000 pts         ",
      "---------------------------------",
  };
  for (const char* text : kLines) screen.record(FreeFormRecord().add_text(text));
}

bool check_points(const DataFile& file, const Data& data, std::string* err) {
  const std::string name = quote(file.path);
  if (data.n == 0) {
    *err = "xasreduce: " + name + " holds no data points";
    return false;
  }
  for (int i = 1; i <= data.n; ++i) {
    const char* what = nullptr;
    if (!std::isfinite(data.energy(i)))
      what = "an energy that is not a finite number";
    else if (!(data.energy(i) > 0.0f))
      what = "an energy that is not positive";
    else if (!std::isfinite(data.absorption(i)))
      what = "an absorption that is not a finite number";
    if (what != nullptr) {
      *err = "xasreduce: point " + std::to_string(i) + " of " + name + " has " + what;
      return false;
    }
  }
  return true;
}

bool ask_plot(AnswerSource& answers, TextOut& screen, int& itop, std::string* err) {
  screen.record(FreeFormRecord().add_text("... Graphic output Gnuplot+TD (1) Gnuplot (0)"));
  if (!answers.read_integers(&itop, 1, "Graphic output Gnuplot+TD (1) Gnuplot (0)", err))
    return false;
  if (itop == 1)
    screen.record(FreeFormRecord().add_text(" >>> Both TopDrawer and Gnuplot outputs selected"));
  else if (itop == 0)
    screen.record(FreeFormRecord().add_text(" >>> Only Gnuplot outputs selected"));
  return true;
}

void energies_to_kev(Data& data, TextOut& screen) {
  if (data.energy(1) < 80.0f) {
    screen.record(FreeFormRecord().add_text(" ... Photon energies are in keV"));
    return;
  }
  screen.record(FreeFormRecord().add_text(" ... Photon energies are in eV"));
  for (int j = 1; j <= data.n; ++j) data.energy(j) = data.energy(j) / 1000.0f;
}

}  // namespace xas
