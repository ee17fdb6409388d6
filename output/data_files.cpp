#include "output/data_files.h"

#include "common/freeform_write.h"
#include "common/layout.h"
#include "common/text_out.h"

namespace xas {

namespace {

// Rows of both files; a row with two values ends after its second field.
const Layout& row_layout() {
  static const Layout kRow("(1X,F6.3,1X,F8.5,1X,F12.6)");
  return kRow;
}

}  // namespace

void write_fourier_file(const TransformParams& params, const Fourie& fourie, TextOut& out) {
  static const Layout kHeader(
      "('# k interval= ',F10.5,' - ',F10.5,' Apodization DK= ' ,F10.5,' Weight k^WH WH=',F10.5)");
  out.lines(kHeader.format({params.akmin, params.akmax, params.dk, params.wh}));
  out.record(FreeFormRecord().add_text("# Columns: 1-R (Ang.) 2-FT (X(k)*k**WH)"));
  const Layout& row = row_layout();
  char buf[128];
  for (int m = 1; m <= fourie.n; ++m)
    out.lines(std::string_view(buf, row.render(buf, {fourie.r(m), fourie.ft_mod(m)})));
}

void write_exafs_file(const Data& data, const Edge& edge, const Background& background,
                      const Exafs& exafs, int ne0, TextOut& out) {
  static const Layout kHeader("('# EDGE= ',F12.5,' JUMP=',F10.5,'  EWL=',F12.5)");
  out.lines(kHeader.format({edge.e0 * 1000.0f, background.ajump, edge.ewl * 1000.0f}));
  out.record(FreeFormRecord().add_text(
      "# Columns: 1-k(1/Ang.) 2-X(k)=(Abs-bck)/norm/jump 3-Energy (eV)"));
  const Layout& row = row_layout();
  char buf[128];
  for (int i = ne0; i <= exafs.n; ++i)
    out.lines(std::string_view(
        buf, row.render(buf, {exafs.k(i), exafs.chi(i), data.energy(i) * 1000.0f})));
}

}  // namespace xas
