#include "output/data_files.h"

#include "driver/freeform_write.h"
#include "driver/naming.h"
#include "driver/run.h"
#include "output/layout.h"

namespace xas {

namespace {

// Rows of both files; a row with two values ends after its second field.
const Layout& row_layout() {
  static const Layout kRow("(1X,F6.3,1X,F8.5,1X,F12.6)");
  return kRow;
}

}  // namespace

void compose_fourier_file(Run& run) {
  ResultFile& out = run.unit97;
  static const Layout kHeader(
      "('# k interval= ',F10.5,' - ',F10.5,' Apodization DK= ' ,F10.5,' Weight k^WH WH=',F10.5)");
  out.lines(kHeader.format({run.akmin, run.akmax, run.dk, run.wh}));
  out.record(FreeFormRecord().add_text("# Columns: 1-R (Ang.) 2-FT (X(k)*k**WH)"));
  const Layout& row = row_layout();
  char buf[128];
  for (int m = 1; m <= run.fourie.n; ++m)
    out.lines(std::string_view(buf, row.render(buf, {run.fourie.r(m), run.fourie.ft_mod(m)})));
}

void compose_exafs_file(Run& run) {
  ResultFile& out = run.unit95;
  static const Layout kHeader("('# EDGE= ',F12.5,' JUMP=',F10.5,'  EWL=',F12.5)");
  out.lines(kHeader.format({run.model.spl0.e0 * 1000.0f, run.ajump, run.ewl * 1000.0f}));
  out.record(FreeFormRecord().add_text(
      "# Columns: 1-k(1/Ang.) 2-X(k)=(Abs-bck)/norm/jump 3-Energy (eV)"));
  const Layout& row = row_layout();
  char buf[128];
  for (int i = run.ne0; i <= run.exafs.n; ++i)
    out.lines(std::string_view(
        buf, row.render(buf, {run.exafs.k(i), run.exafs.chi(i), run.data.energy(i) * 1000.0f})));
}

bool write_fourier_file(Run& run, std::string* err) {
  compose_fourier_file(run);
  return start_result_file(run, kFourierFile, err);
}

bool write_exafs_file(Run& run, std::string* err) {
  compose_exafs_file(run);
  return start_result_file(run, kExafsFile, err);
}

}  // namespace xas
