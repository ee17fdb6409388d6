#include "driver/dialogue.h"

#include "common/freeform_write.h"
#include "common/text_out.h"
#include "common/version.h"
#include "driver/answers.h"

namespace xas {

void banner(TextOut& screen) {
  std::string version = " version " + std::string(kVersion);
  version.resize(33, ' ');
  const std::string lines[] = {
      "---------------------------------",
      " xasreduce                       ",
      " XAS edge, EXAFS and Fourier     ",
      " by the xasreduce developers     ",
      version,
      " data set: max 15000 pts         ",
      "---------------------------------",
  };
  for (const std::string& text : lines) screen.record(FreeFormRecord().add_text(text));
}

namespace {

constexpr char kPlotQuestion[] = "Graphic output Gnuplot+TD (1) Gnuplot (0)";

void plot_echo(int itop, TextOut& screen) {
  if (itop == 1)
    screen.record(FreeFormRecord().add_text(" >>> Both TopDrawer and Gnuplot outputs selected"));
  else if (itop == 0)
    screen.record(FreeFormRecord().add_text(" >>> Only Gnuplot outputs selected"));
}

}  // namespace

bool ask_plot(AnswerSource& answers, TextOut& screen, Request* request, std::string* err) {
  screen.record(FreeFormRecord().add_text("... ").add_text(kPlotQuestion));
  if (!answers.read_integers(&request->itop, 1, kPlotQuestion, err)) return false;
  plot_echo(request->itop, screen);
  return true;
}

void show_plot(const Request& request, TextOut& screen) {
  screen.record(FreeFormRecord().add_text("... ").add_text(kPlotQuestion));
  plot_echo(request.itop, screen);
}

}  // namespace xas
