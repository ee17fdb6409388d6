#include "driver/avafile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "driver/columns.h"
#include "driver/freeform_read.h"
#include "driver/freeform_write.h"
#include "driver/line_reader.h"
#include "driver/run.h"
#include "output/layout.h"

namespace xas {

namespace {

// Opens an existing file for reading; a directory does not count as one.
std::FILE* open_existing(const Name90& name, struct stat* st) {
  std::string path(name.trimmed());
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  if (::fstat(fd, st) != 0 || S_ISDIR(st->st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return nullptr;
  }
  std::FILE* stream = fdopen(fd, "r");
  if (stream == nullptr) ::close(fd);
  return stream;
}

bool column_in_range(int column) { return column >= 1 && column <= kMaxColumns; }

std::string bad_column(const char* what, int column) {
  return std::string("xasreduce: ") + what + " " + std::to_string(column) +
         " is not a column of the table: columns are numbered from 1 to " +
         std::to_string(kMaxColumns);
}

bool ask_columns(Run& run, Columns* c, std::string* err) {
  Console& console = run.console;
  console.record(FreeFormRecord().add_text(" ... Number of columns?"));
  if (!run.answers.read_integers(&c->ncol, 1, "Number of columns?", err)) return false;
  console.record(FreeFormRecord().add_text(" >>> N. col. ").add_integer(c->ncol));
  if (c->ncol > kMaxColumns) {
    *err = "xasreduce: " + std::to_string(c->ncol) +
           " columns is more than a data line can hold: at most " + std::to_string(kMaxColumns);
    return false;
  }
  if (c->ncol < 3) {
    console.record(FreeFormRecord().add_text(">>> 2-column file, E col. 1, ABS col. 2"));
    c->ne = 1;
    c->nab = 2;
    return true;
  }
  console.record(FreeFormRecord().add_text(" ... Columns for Energy and absorption? E, ABS?"));
  int e_abs[2] = {c->ne, c->nab};
  if (!run.answers.read_integers(e_abs, 2, "Columns for Energy and absorption? E, ABS?", err))
    return false;
  c->ne = e_abs[0];
  c->nab = e_abs[1];
  console.record(FreeFormRecord().add_text(" ... If ABS col. <0  reading I0 and I1"));
  if (c->nab < 1) {
    console.record(FreeFormRecord().add_text(" ... Insert columns for I0 and I1"));
    int i0_i1[2] = {c->ni0, c->ni1};
    if (!run.answers.read_integers(i0_i1, 2, "Insert columns for I0 and I1", err)) return false;
    c->ni0 = i0_i1[0];
    c->ni1 = i0_i1[1];
    console.record(FreeFormRecord()
                       .add_text(" >>> E, I0, I1: ")
                       .add_integer(c->ne)
                       .add_integer(c->ni0)
                       .add_integer(c->ni1));
    if (!column_in_range(c->ni0)) *err = bad_column("the I0 column", c->ni0);
    if (!column_in_range(c->ni1)) *err = bad_column("the I1 column", c->ni1);
  } else {
    console.record(
        FreeFormRecord().add_text(" >>> E, ABS: ").add_integer(c->ne).add_integer(c->nab));
    if (!column_in_range(c->nab)) *err = bad_column("the absorption column", c->nab);
  }
  if (!column_in_range(c->ne)) *err = bad_column("the energy column", c->ne);
  return err->empty();
}

// Reads the table: one point per line that yields all its numbers.
void load_table(Run& run, const Columns& c, std::FILE* stream) {
  Data& data = run.data;
  LineReader lines(stream, kDataLineWidth);
  std::string_view line;
  std::string message;
  int count = 0;
  while (lines.next(&line)) {
    if (!line.empty() && line[0] == '#') continue;
    double col[kMaxColumns + 1] = {};  // col[1..12]; columns never parsed stay 0
    OneLineSource source(line);
    if (read_list(source, col + 1, c.ncol, &message) != ListRead::complete) continue;
    if (count == kMaxPoints) {
      run.console.record(FreeFormRecord().add_text(
          " ... more than 15000 points: the rest of the file is ignored"));
      break;
    }
    int i = ++count;
    data.energy(i) = static_cast<float>(col[c.ne]);
    if (c.nab >= 1)
      data.absorption(i) = static_cast<float>(col[c.nab]);
    else
      data.absorption(i) = static_cast<float>(std::log(col[c.ni0] / col[c.ni1]));
    if (i == 1 && data.energy(1) < 200.0f)
      run.console.record(FreeFormRecord().add_text(" ENERGY is in keV!"));
    if (data.energy(i) < 200.0f) data.energy(i) = data.energy(i) * 1000.0f;
  }
  data.n = count;
}

}  // namespace

bool avafile(Run& run, std::string* err) {
  Console& console = run.console;
  run.file.set("ftn30");
  console.record(FreeFormRecord().add_text(" ... File name for EXAFS data?"));
  Name90 fili;
  if (!run.answers.read_text(&fili, "File name for EXAFS data?", err)) return false;

  Columns columns;
  if (!ask_columns(run, &columns, err)) return false;

  if (fili.view().substr(0, 10).find_first_not_of(' ') != std::string_view::npos) run.file = fili;
  struct stat st;
  std::FILE* stream = open_existing(run.file, &st);
  if (stream == nullptr) {
    run.file.set("fort.30");
    stream = open_existing(run.file, &st);
    if (stream == nullptr) {
      *err = "Cannot open file '" + std::string(run.file.trimmed()) + "': " + std::strerror(errno);
      return false;
    }
    console.record(FreeFormRecord().add_text(" ... Reading input data file ..."));
  }
  run.file_device = st.st_dev;
  run.file_inode = st.st_ino;
  static const Layout kFileName("(' >>> FILE NAME: ',A90)");
  console.lines(kFileName.format({run.file.view()}));

  load_table(run, columns, stream);
  std::fclose(stream);
  console.record(FreeFormRecord()
                     .add_text(" >>> ")
                     .add_integer(run.data.n)
                     .add_text("  DATA ENERGY POINTS!"));
  return true;
}

}  // namespace xas
