#include "driver/avafile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/columns.h"
#include "driver/answers.h"
#include "common/freeform_read.h"
#include "common/freeform_write.h"
#include "terminal/line_reader.h"
#include "common/message_text.h"
#include "common/warnings.h"
#include "common/layout.h"
#include "common/text_out.h"

namespace xas {

namespace {

// Opens an existing file for reading; a directory does not count as one.
// errno tells why when it fails.
std::FILE* open_existing(const std::string& path, struct stat* st) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  if (::fstat(fd, st) != 0 || S_ISDIR(st->st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return nullptr;
  }
  // Opened without blocking so that a FIFO with no writer cannot hang the
  // open; reads block again as for any file.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* stream = fdopen(fd, "r");
  if (stream == nullptr) ::close(fd);
  return stream;
}

// A data file must be a file or a pipe: a device never ends (/dev/zero) or
// is not a table, and the program's own standard input holds the answers.
bool readable_table(const std::string& path, const struct stat& st, std::string* err) {
  const std::string quoted = quote(path);
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    *err = "xasreduce: " + quoted + " is a device, not a data file";
    return false;
  }
  struct stat in;
  if (::fstat(0, &in) == 0 && in.st_dev == st.st_dev && in.st_ino == st.st_ino) {
    *err = "xasreduce: " + quoted +
           " is the program's own standard input, which holds the answers, not the data";
    return false;
  }
  return true;
}

// The file-name answer must be text and, in the dialogue, fit its 90
// characters.
bool check_name(const std::string& answer, bool name_limit, std::string* err) {
  for (std::size_t i = 0; i < answer.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(answer[i]);
    if (c < 0x20 || c == 0x7f) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02x", c);
      *err = "xasreduce: the file name answered to \"File name for EXAFS data?\" holds a control"
             " character (byte " + std::string(code) + " at column " + std::to_string(i + 1) +
             "): no file is read";
      return false;
    }
  }
  const std::size_t end = answer.find_last_not_of(' ');
  const std::size_t length = end == std::string::npos ? 0 : end + 1;
  if (name_limit && length > static_cast<std::size_t>(Name90::width())) {
    *err = "xasreduce: the file name answered to \"File name for EXAFS data?\" is " +
           std::to_string(length) + " characters long; the dialogue holds names of at most " +
           std::to_string(Name90::width()) + ": '" + answer.substr(0, length) + "'";
    return false;
  }
  return true;
}

std::string bad_column(const char* what, int column, int max_columns) {
  return std::string("xasreduce: ") + what + " " + std::to_string(column) +
         " is not a column of the table: columns are numbered from 1 to " +
         std::to_string(max_columns);
}

bool ask_columns(AnswerSource& answers, int max_columns, TextOut& console, Columns* c,
                 std::string* err) {
  auto in_range = [max_columns](int column) { return column >= 1 && column <= max_columns; };
  console.record(FreeFormRecord().add_text(" ... Number of columns?"));
  if (!answers.read_integers(&c->ncol, 1, "Number of columns?", err)) return false;
  console.record(FreeFormRecord().add_text(" >>> N. col. ").add_integer(c->ncol));
  if (c->ncol > max_columns) {
    *err = "xasreduce: " + std::to_string(c->ncol) +
           " columns is more than a data line can hold: at most " + std::to_string(max_columns);
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
  if (!answers.read_integers(e_abs, 2, "Columns for Energy and absorption? E, ABS?", err))
    return false;
  c->ne = e_abs[0];
  c->nab = e_abs[1];
  console.record(FreeFormRecord().add_text(" ... If ABS col. <0  reading I0 and I1"));
  if (c->nab < 1) {
    // The two intensity columns: I0 and I1 (absorption ln(I0/I1)), or, in
    // the command line's fluorescence mode, IF and I0 (absorption IF/I0).
    const bool fluorescence = answers.fluorescence();
    int* first = fluorescence ? &c->nif : &c->ni0;
    int* second = fluorescence ? &c->ni0 : &c->ni1;
    const char* question =
        fluorescence ? "Insert columns for IF and I0" : "Insert columns for I0 and I1";
    console.record(FreeFormRecord().add_text(" ... ").add_text(question));
    int pair[2] = {*first, *second};
    if (!answers.read_integers(pair, 2, question, err)) return false;
    *first = pair[0];
    *second = pair[1];
    console.record(FreeFormRecord()
                       .add_text(fluorescence ? " >>> E, IF, I0: " : " >>> E, I0, I1: ")
                       .add_integer(c->ne)
                       .add_integer(*first)
                       .add_integer(*second));
    const char* names[2] = {fluorescence ? "the IF column" : "the I0 column",
                            fluorescence ? "the I0 column" : "the I1 column"};
    if (!in_range(*first)) *err = bad_column(names[0], *first, max_columns);
    if (!in_range(*second)) *err = bad_column(names[1], *second, max_columns);
  } else {
    console.record(
        FreeFormRecord().add_text(" >>> E, ABS: ").add_integer(c->ne).add_integer(c->nab));
    if (!in_range(c->nab)) *err = bad_column("the absorption column", c->nab, max_columns);
  }
  if (!in_range(c->ne)) *err = bad_column("the energy column", c->ne, max_columns);
  return err->empty();
}

// What the reader saw of the lines it did not take as points, and of the
// numbers beyond the ones it reads.
struct TableCount {
  int short_lines = 0;   // lines that yielded some numbers, but fewer than ncol
  int most_short = 0;    // the most numbers such a line yielded
  int more_lines = 0;    // points whose line held more numbers than ncol
  int most = 0;          // the most numbers counted on such a line, up to limit + 1
  int limit = 0;         // the numbers a line is counted to
};

// Reads the table: one point per line that yields all its numbers. Lines
// are read as wide as the dialogue reads them, or, for a table wider than the
// dialogue's, as wide as the command line does.
bool load_table(const Columns& c, int max_columns, const std::string& path, std::FILE* stream,
                TextOut& console, Data& data, TableCount* seen, std::string* err) {
  // A table the dialogue can read is read exactly as it does; only a wider
  // one (the command line's) is read on wider lines.
  const bool wide = c.ncol > kMaxColumns;
  const int counted = wide ? max_columns : kMaxColumns;
  seen->limit = counted;
  LineReader lines(stream, wide ? kWideLineWidth : kDataLineWidth);
  std::string_view line;
  std::string message;
  int count = 0;
  while (lines.next(&line)) {
    if (!line.empty() && line[0] == '#') continue;
    // col[1..ncol] are the numbers of the point; the read goes on to
    // count what else the line holds, and those values are dropped, so
    // columns never parsed stay 0.
    double col[kWideMaxColumns + 2] = {};
    const int want = std::max(c.ncol, 0);
    OneLineSource source(line);
    int taken = 0;
    const ListRead read = read_list(source, col + 1, counted + 1, &message, &taken);
    for (int k = want + 1; k <= counted + 1; ++k) col[k] = 0.0;
    // Complete for ncol numbers: ncol values (or null values) before the
    // read ended, or a slash that ended it early.
    if (taken < want && read != ListRead::complete) {
      if (taken > 0) {
        ++seen->short_lines;
        seen->most_short = std::max(seen->most_short, taken);
      }
      continue;
    }
    if (taken > want) {
      ++seen->more_lines;
      seen->most = std::max(seen->most, taken);
    }
    if (count == kMaxPoints) {
      console.record(FreeFormRecord().add_text(
          " ... more than 15000 points: the rest of the file is ignored"));
      break;
    }
    int i = ++count;
    data.energy(i) = static_cast<float>(col[c.ne]);
    if (c.nab >= 1)
      data.absorption(i) = static_cast<float>(col[c.nab]);
    else if (c.nif >= 1)
      data.absorption(i) = static_cast<float>(col[c.nif] / col[c.ni0]);
    else
      data.absorption(i) = static_cast<float>(std::log(col[c.ni0] / col[c.ni1]));
    if (i == 1 && data.energy(1) < 200.0f)
      console.record(FreeFormRecord().add_text(" ENERGY is in keV!"));
    if (data.energy(i) < 200.0f) data.energy(i) = data.energy(i) * 1000.0f;
  }
  data.n = count;
  if (lines.failed()) {
    *err = "xasreduce: cannot read line " + std::to_string(lines.lines_read() + 1) + " of " +
           quote(path) + ": " + std::strerror(lines.error()) +
           "; the points read before it are not reduced";
    return false;
  }
  return true;
}

}  // namespace

Name90 shown_name(const std::string& path) {
  if (path.size() <= static_cast<std::size_t>(Name90::width())) return Name90(path);
  const std::size_t slash = path.find_last_of('/');
  return Name90(slash == std::string::npos ? path : path.substr(slash + 1));
}

bool avafile(AnswerSource& answers, const ReadingRules& rules, TextOut& console,
             Warnings& warnings, DataFile& file, Data& data, std::string* err) {
  file.file.set("ftn30");
  console.record(FreeFormRecord().add_text(" ... File name for EXAFS data?"));
  std::string answer;
  if (!answers.read_line(&answer, "File name for EXAFS data?", err)) return false;
  if (!check_name(answer, rules.name_limit, err)) return false;

  Columns columns;
  if (!ask_columns(answers, rules.max_columns, console, &columns, err)) return false;

  // The first ten columns of the answer decide whether a name was given.
  const Name90 fili(answer);
  const bool typed = fili.view().substr(0, 10).find_first_not_of(' ') != std::string_view::npos;
  if (typed) {
    file.path = answer.substr(0, answer.find_last_not_of(' ') + 1);
    file.file = rules.name_limit ? fili : shown_name(file.path);
  } else {
    file.path = "ftn30";
  }
  struct stat st;
  std::FILE* stream = open_existing(file.path, &st);
  if (stream == nullptr) {
    const std::string first = file.path;
    const std::string why = std::strerror(errno);
    if (!rules.fallback) {
      *err = "Cannot open file " + quote(first) + ": " + why;
      return false;
    }
    const std::string what = quote(first) + (typed ? "" : " (the file read for a blank answer)");
    file.file.set("fort.30");
    file.path = "fort.30";
    stream = open_existing(file.path, &st);
    if (stream == nullptr) {
      *err = "Cannot open file " + quote(first) + ": " + why + "; nor the fallback file 'fort.30': " +
             std::strerror(errno);
      return false;
    }
    warnings.add("cannot open " + what + ": " + why + "; the fallback file 'fort.30' is read instead",
                 true);
    console.record(FreeFormRecord().add_text(" ... Reading input data file ..."));
  }
  if (!readable_table(file.path, st, err)) {
    std::fclose(stream);
    return false;
  }
  file.device = st.st_dev;
  file.inode = st.st_ino;
  static const Layout kFileName("(' >>> FILE NAME: ',A90)");
  console.lines(kFileName.format({file.file.view()}));

  TableCount seen;
  const bool read =
      load_table(columns, rules.max_columns, file.path, stream, console, data, &seen, err);
  std::fclose(stream);
  if (!read) return false;
  console.record(FreeFormRecord()
                     .add_text(" >>> ")
                     .add_integer(data.n)
                     .add_text("  DATA ENERGY POINTS!"));
  const std::string name = quote(file.path);
  const std::string declared = "the " + std::to_string(columns.ncol) +
                               " answered to \"Number of columns?\"";
  if (data.n == 0 && seen.short_lines > 0) {
    *err = "xasreduce: no line of " + name + " holds " + declared + ": its lines hold at most " +
           std::to_string(seen.most_short) + " numbers";
    return false;
  }
  if (seen.more_lines > 0 && columns.ncol >= 1) {
    const bool one = seen.more_lines == 1;
    warnings.add(std::to_string(seen.more_lines) + " data line" + (one ? " of " : "s of ") + name +
                     (one ? " holds " : " hold ") +
                     (seen.most > seen.limit ? "more than " + std::to_string(seen.limit)
                                             : std::to_string(seen.most)) +
                     " numbers, more than " + declared + ": only the first " +
                     std::to_string(columns.ncol) + " of a line are read",
                 true);
  }
  return true;
}

}  // namespace xas
