#include "output/plot_scripts.h"

#include "common/freeform_write.h"
#include "common/layout.h"
#include "common/text_out.h"

namespace xas {

namespace {

void command(TextOut& out, std::string_view text) {
  out.record(FreeFormRecord().add_text(text));
}

// A row (x, y): a blank, x in F8.2, a blank, y in F8.5.
void row(TextOut& out, float x, float y) {
  static const Layout kRow("(1X,F8.2,1X,F8.5)");
  char buf[64];
  out.lines(std::string_view(buf, kRow.render(buf, {x, y})));
}

// A short row (x, y): a blank, x in F6.3, a blank, y in F8.5.
void short_row(TextOut& out, float x, float y) {
  static const Layout kShortRow("(1X,F6.3,1X,F8.5)");
  char buf[64];
  out.lines(std::string_view(buf, kShortRow.render(buf, {x, y})));
}

// The file-name title of the EXAFS and Fourier plots.
void file_title(const Name90& file, TextOut& out) {
  static const Layout kTitle("('TITLE 3. 9.7 SIZE 3 ''',A90)");
  out.lines(kTitle.format({file.view()}));
}

}  // namespace

float exafs_plot_limit(float examax) {
  struct Step {
    float above;
    float limit;
  };
  static const Step kLadder[] = {{0.01f, 0.02f}, {0.02f, 0.05f}, {0.05f, 0.1f},
                                 {0.1f, 0.15f},  {0.15f, 0.2f},  {0.2f, 0.25f},
                                 {0.25f, 0.3f},  {0.3f, 0.4f}};
  float exalim = 0.01f;
  for (const Step& step : kLadder)
    if (examax > step.above) exalim = step.limit;
  return exalim;
}

ExafsPlotLimits exafs_plot_limits(const Data& data, const Exafs& exafs, float examax) {
  ExafsPlotLimits limits;
  // Truncated toward zero; a wave number beyond the range of an integer
  // (an absurd last energy) is held at the largest one.
  const float limit = exafs.k(data.n) + 1.0f;
  limits.lmax = limit < 2147483520.0f ? static_cast<int>(limit) : 2147483647;
  limits.exalim = exafs_plot_limit(examax);
  return limits;
}

void write_absorption_plot(const Name90& file, const Data& data, const Deriv& deriv,
                           const Edge& edge, const Background& background, const PointValues& fit,
                           TextOut& out) {
  const float e0 = edge.e0;
  const float aa = background.aa, bb = background.bb, ajump = background.ajump;

  command(out, "SET MODE VECTOR");
  command(out, "SET FONT DUPLEX");
  command(out, "SET WINDOW X .9 6.3 Y 1.2 6");
  command(out, "SET LABEL SIZE 2.");
  static const Layout kFile("('TITLE .2 9.5 SIZE 3 ''FILE ',A90)");
  static const Layout kEdge("('TITLE 3. 8.5 SIZE 2.5 ''EDGE= ',F7.1)");
  static const Layout kSlope("('TITLE ''SLOPE=',F7.3)");
  static const Layout kJump("('TITLE ''JUMP= ',F7.3)");
  static const Layout kEwl("('TITLE 8. 8.5 SIZE 2.5 ''EWL=  ',F7.1)");
  static const Layout kHwl("('TITLE ''HWL=  ',F7.3)");
  out.lines(kFile.format({file.view()}));
  out.lines(kEdge.format({e0 * 1000.0f}));
  out.lines(kSlope.format({edge.slp / ajump}));
  out.lines(kJump.format({ajump}));
  out.lines(kEwl.format({edge.ewl * 1000.0f}));
  out.lines(kHwl.format({edge.wl / ajump}));
  command(out, "TITLE 3.1 .5 SIZE 2.5 'E(eV)'");
  command(out, "TITLE 2. 6.3  SIZE 2.5 'dABS./dE'");
  for (int j = 1; j <= deriv.n; ++j)
    out.record(FreeFormRecord().add_real(deriv.emid(j) * 1000.0f).add_real(deriv.slope(j)));
  command(out, "PLOT");

  command(out, "SET WINDOW X 7.6 13. Y 1.2 6.");
  command(out, "TITLE 9.8 .5 SIZE 2.5 'E(eV)'");
  command(out, "TITLE 8.8 6.3 SIZE 2.5 'ABS.'");
  for (int j = 1; j <= data.n; ++j) row(out, data.energy(j) * 1000.0f, data.absorption(j));
  command(out, "PLOT");
  // The pre-edge line from the first energy to its mirror image about the edge.
  const float e_first = data.energy(1);
  const float mirror = 2.0f * e0 - e_first;
  row(out, e_first * 1000.0f, bb + e_first * aa);
  row(out, mirror * 1000.0f, bb + mirror * aa);
  command(out, "JOIN");
  // A vertical stroke at the edge.
  row(out, e0 * 1000.0f, data.absorption(1) - ajump * 0.2f);
  row(out, e0 * 1000.0f, ajump * 1.2f + data.absorption(1));
  command(out, "JOIN");
  // The background above the edge.
  for (int j = 1; j <= data.n; ++j)
    if (data.energy(j) >= e0) row(out, data.energy(j) * 1000.0f, fit(j));
  command(out, "JOIN DASH");
  // A horizontal stroke at the white line.
  const float reach = (edge.ewl - e_first) * 0.2f;
  float ex = edge.ewl - reach;
  row(out, ex * 1000.0f, bb + (aa * ex + edge.wl));
  ex = edge.ewl + reach;
  row(out, ex * 1000.0f, bb + (aa * ex + edge.wl));
  command(out, "JOIN");
}

namespace {

// The opening lines shared by the EXAFS and Fourier scripts: one panel with
// its horizontal limits (and vertical ones for EXAFS), the axis titles (the
// CASE line sets the letter case of the title above it) and the file name.
void spectrum_header(const Name90& file, TextOut& out, const FreeFormRecord& limits,
                     std::string_view x_title, std::string_view x_case, std::string_view y_title) {
  command(out, "SET MODE VECTOR");
  command(out, "SET FONT DUPLEX");
  command(out, "SET WINDOW X 2 12.5 Y 1.5 9.2");
  out.record(limits);
  command(out, "SET LABEL SIZE 2.5");
  command(out, x_title);
  command(out, x_case);
  command(out, y_title);
  file_title(file, out);
}

}  // namespace

void write_exafs_plot(const Name90& file, const ExafsPlotLimits& limits, const Exafs& exafs,
                      int ne0, TextOut& out) {
  spectrum_header(file, out,
                  FreeFormRecord()
                      .add_text("SET LIMITS X 0 ")
                      .add_integer(limits.lmax)
                      .add_text(" Y ")
                      .add_real(-limits.exalim)
                      .add_real(limits.exalim),
                  "TITLE 6.7 .4 SIZE 3 'k1(4A515O20-11)'", "CASE                ' U C CVUSVC  C '",
                  "TITLE .5 5. SIZE 3 ANGLE 90 'EXAFS'");
  for (int i = ne0; i <= exafs.n; ++i) short_row(out, exafs.k(i), exafs.chi(i));
  command(out, "JOIN 1");
}

void write_fourier_plot(const Name90& file, const TransformParams& params, const Fourie& fourie,
                        TextOut& out) {
  spectrum_header(file, out,
                  FreeFormRecord().add_text("SET LIMITS X 0 ").add_real(params.rmax).add_text(" "),
                  "TITLE 6.7 .4 SIZE 3 'R1(4A515O2)'", "CASE                ' U C CVUSV '",
                  "TITLE .5 5. SIZE 3 ANGLE 90 'FOURIER'");
  for (int m = 1; m <= fourie.n; ++m) short_row(out, fourie.r(m), fourie.ft_mod(m));
  command(out, "JOIN 1");
}

}  // namespace xas
