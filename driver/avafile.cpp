#include "driver/avafile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/freeform_read.h"
#include "common/freeform_write.h"
#include "common/layout.h"
#include "common/message_text.h"
#include "common/text_lines.h"
#include "common/text_out.h"
#include "common/warnings.h"
#include "driver/answers.h"

namespace xas {

namespace {

constexpr char kNameQuestion[] = "File name for EXAFS data?";
constexpr char kColumnsQuestion[] = "Number of columns?";
constexpr char kEnergyQuestion[] = "Columns for Energy and absorption? E, ABS?";
constexpr char kIntensityQuestion[] = "Insert columns for I0 and I1";
constexpr char kFluorescenceQuestion[] = "Insert columns for IF and I0";

void question(TextOut& screen, const char* text) {
  screen.record(FreeFormRecord().add_text(" ... ").add_text(text));
}

// The lines that follow the answer to "Number of columns?".
void show_ncol(int ncol, TextOut& screen) {
  screen.record(FreeFormRecord().add_text(" >>> N. col. ").add_integer(ncol));
  if (ncol < 3) screen.record(FreeFormRecord().add_text(">>> 2-column file, E col. 1, ABS col. 2"));
}

// The two intensity columns of a mode, in the order they are asked for.
const char* pair_question(Mode mode) {
  return mode == Mode::fluorescence ? kFluorescenceQuestion : kIntensityQuestion;
}

void show_columns_echo(const Request& r, TextOut& screen) {
  if (r.mode == Mode::absorption) {
    screen.record(
        FreeFormRecord().add_text(" >>> E, ABS: ").add_integer(r.energy).add_integer(r.absorption));
  } else if (r.mode == Mode::fluorescence) {
    screen.record(FreeFormRecord()
                      .add_text(" >>> E, IF, I0: ")
                      .add_integer(r.energy)
                      .add_integer(r.fluorescence)
                      .add_integer(r.i0));
  } else {
    screen.record(FreeFormRecord()
                      .add_text(" >>> E, I0, I1: ")
                      .add_integer(r.energy)
                      .add_integer(r.i0)
                      .add_integer(r.i1));
  }
}

// The file-name answer must be text and, in the dialogue, fit its 90
// characters.
bool check_name(const std::string& answer, bool name_limit, std::string* err) {
  for (std::size_t i = 0; i < answer.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(answer[i]);
    if (c < 0x20 || c == 0x7f) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02x", c);
      *err = "the file name answered to \"File name for EXAFS data?\" holds a control character"
             " (byte " + std::string(code) + " at column " + std::to_string(i + 1) +
             "): no file is read";
      return false;
    }
  }
  const std::size_t end = answer.find_last_not_of(' ');
  const std::size_t length = end == std::string::npos ? 0 : end + 1;
  if (name_limit && length > static_cast<std::size_t>(Name90::width())) {
    *err = "the file name answered to \"File name for EXAFS data?\" is " + std::to_string(length) +
           " characters long; the dialogue holds names of at most " +
           std::to_string(Name90::width()) + ": '" + answer.substr(0, length) + "'";
    return false;
  }
  return true;
}

std::string bad_column(const char* what, int column, int max_columns) {
  return std::string(what) + " " + std::to_string(column) +
         " is not a column of the table: columns are numbered from 1 to " +
         std::to_string(max_columns);
}

// The columns a request reads must lie within the table's room.
bool check_columns(const Request& r, int max_columns, std::string* err) {
  auto in_range = [max_columns](int column) { return column >= 1 && column <= max_columns; };
  if (r.ncol < 3) return true;
  if (r.mode == Mode::absorption) {
    if (!in_range(r.absorption))
      *err = bad_column("the absorption column", r.absorption, max_columns);
  } else {
    const bool fluorescence = r.mode == Mode::fluorescence;
    const int first = fluorescence ? r.fluorescence : r.i0;
    const int second = fluorescence ? r.i0 : r.i1;
    if (!in_range(first))
      *err = bad_column(fluorescence ? "the IF column" : "the I0 column", first, max_columns);
    if (!in_range(second))
      *err = bad_column(fluorescence ? "the I0 column" : "the I1 column", second, max_columns);
  }
  if (!in_range(r.energy)) *err = bad_column("the energy column", r.energy, max_columns);
  return err->empty();
}

}  // namespace

Name90 shown_name(const std::string& path) {
  if (path.size() <= static_cast<std::size_t>(Name90::width())) return Name90(path);
  const std::size_t slash = path.find_last_of('/');
  return Name90(slash == std::string::npos ? path : path.substr(slash + 1));
}

bool ask_data_file(AnswerSource& answers, const ReadingRules& rules, TextOut& screen,
                   Request* r, std::string* err) {
  r->rules = rules;
  question(screen, kNameQuestion);
  std::string answer;
  if (!answers.read_line(&answer, kNameQuestion, err)) return false;
  if (!check_name(answer, rules.name_limit, err)) return false;
  // The first ten columns of the answer decide whether a name was given; a
  // blank answer reads the default file "ftn30".
  const Name90 fili(answer);
  if (fili.view().substr(0, 10).find_first_not_of(' ') != std::string_view::npos) {
    r->path = answer.substr(0, answer.find_last_not_of(' ') + 1);
    r->name = rules.name_limit ? fili : shown_name(r->path);
  } else {
    r->path = "ftn30";
    r->name.set("ftn30");
    r->blank_answer = true;
  }

  question(screen, kColumnsQuestion);
  if (!answers.read_integers(&r->ncol, 1, kColumnsQuestion, err)) return false;
  show_ncol(r->ncol, screen);
  if (r->ncol > rules.max_columns) {
    *err = std::to_string(r->ncol) + " columns is more than a data line can hold: at most " +
           std::to_string(rules.max_columns);
    return false;
  }
  r->energy = 1;
  r->absorption = 2;
  r->mode = Mode::absorption;
  if (r->ncol < 3) return true;
  question(screen, kEnergyQuestion);
  int e_abs[2] = {0, 0};
  if (!answers.read_integers(e_abs, 2, kEnergyQuestion, err)) return false;
  r->energy = e_abs[0];
  r->absorption = e_abs[1];
  screen.record(FreeFormRecord().add_text(" ... If ABS col. <0  reading I0 and I1"));
  if (r->absorption < 1) {
    // An absorption column of 0 or less reads I0 and I1 instead.
    r->mode = Mode::intensities;
    question(screen, kIntensityQuestion);
    int pair[2] = {0, 0};
    if (!answers.read_integers(pair, 2, kIntensityQuestion, err)) return false;
    r->i0 = pair[0];
    r->i1 = pair[1];
  }
  show_columns_echo(*r, screen);
  return check_columns(*r, rules.max_columns, err);
}

void show_data_file(const Request& r, TextOut& screen) {
  question(screen, kNameQuestion);
  question(screen, kColumnsQuestion);
  show_ncol(r.ncol, screen);
  if (r.ncol < 3) return;
  question(screen, kEnergyQuestion);
  screen.record(FreeFormRecord().add_text(" ... If ABS col. <0  reading I0 and I1"));
  if (r.mode != Mode::absorption) question(screen, pair_question(r.mode));
  show_columns_echo(r, screen);
}

Opened open_data_file(Request* r, int answers_fd, TextOut& screen, Warnings& warnings,
                      DataText* text, std::string* err) {
  std::string why;
  const DataRead read = read_data_file(r->path, answers_fd, text, &why);
  if (read == DataRead::refused) {
    *err = why;
    return Opened::refused;
  }
  if (read == DataRead::cannot_open) {
    const std::string first = r->path;
    if (!r->rules.fallback) {
      *err = "Cannot open file " + quote(first) + ": " + why;
      return Opened::cannot_open;
    }
    // The dialogue is not repeated: a name that cannot be opened leads to
    // the fallback file.
    const bool blank = r->blank_answer;
    r->path = "fort.30";
    r->name.set("fort.30");
    std::string fallback_why;
    const DataRead fallback = read_data_file(r->path, answers_fd, text, &fallback_why);
    if (fallback == DataRead::cannot_open) {
      *err = "Cannot open file " + quote(first) + ": " + why +
             "; nor the fallback file 'fort.30': " + fallback_why;
      return Opened::cannot_open;
    }
    warnings.add("cannot open " + quote(first) + (blank ? " (the file read for a blank answer)" : "") +
                     ": " + why + "; the fallback file 'fort.30' is read instead",
                 true);
    screen.record(FreeFormRecord().add_text(" ... Reading input data file ..."));
    if (fallback == DataRead::refused) {
      *err = fallback_why;
      return Opened::refused;
    }
  }
  return Opened::read;
}

namespace {

// What the reader saw of the lines it did not take as points, and of the
// numbers beyond the ones it reads.
struct TableCount {
  int short_lines = 0;  // lines that yielded some numbers, but fewer than ncol
  int most_short = 0;   // the most numbers such a line yielded
  int more_lines = 0;   // points whose line held more numbers than ncol
  int most = 0;         // the most numbers counted on such a line, up to limit + 1
  int limit = 0;        // the numbers a line is counted to
  long beyond = 0;      // points beyond the most a table may hold
};

// The numbers of one line: col[1..] receives what the read reached, up to
// `counted` + 1 targets; returns whether the line gives all `want` numbers
// and sets *taken to the targets reached.
bool read_line_numbers(std::string_view line, int want, int counted, double* col, int* taken) {
  OneLineSource source(line);
  std::string message;
  *taken = 0;
  const ListRead read = read_list(source, col + 1, counted + 1, &message, taken);
  // Complete for ncol numbers: ncol values (or null values) before the read
  // ended, or a slash that ended it early.
  return *taken >= want || read == ListRead::complete;
}

void show_file_name(const Request& r, TextOut& screen) {
  static const Layout kFileName("(' >>> FILE NAME: ',A90)");
  screen.lines(kFileName.format({r.name.view()}));
}

void show_count(const Data& data, TextOut& screen) {
  screen.record(
      FreeFormRecord().add_text(" >>> ").add_integer(data.n).add_text("  DATA ENERGY POINTS!"));
}

}  // namespace

bool load_table(const Request& r, const DataText& file, TextOut& screen, Warnings& warnings,
                Data& data, std::string* err) {
  show_file_name(r, screen);

  // A table the dialogue can read is counted as it does, to 12 numbers; a
  // wider one (the command line's) is counted to its own number of columns.
  const int counted = r.ncol > kMaxColumns ? std::min(r.rules.max_columns, r.ncol) : kMaxColumns;
  const int want = std::max(r.ncol, 0);
  const std::size_t width = r.rules.line_width > 0 ? static_cast<std::size_t>(r.rules.line_width)
                                                   : std::string_view::npos;
  TableCount seen;
  seen.limit = counted;
  std::vector<float> energy, absorption;
  // The numbers a line gives (from [1]); columns never parsed stay 0.
  std::vector<double> col(static_cast<std::size_t>(counted) + 2), full(col.size());
  auto value = [&](int c) { return col[static_cast<std::size_t>(c)]; };
  TextLines lines(file.text);
  std::string_view whole;
  while (lines.next(&whole)) {
    if (lines.number() < r.first_line) continue;
    if (r.last_line > 0 && lines.number() > r.last_line) break;
    if (!whole.empty() && whole[0] == '#') continue;
    std::fill(col.begin(), col.end(), 0.0);
    const std::string_view line = whole.substr(0, width);
    int taken = 0;
    bool complete = read_line_numbers(line, want, counted, col.data(), &taken);
    if (line.size() < whole.size()) {
      // The dialogue parses the first characters of a line only. Where the
      // rest would change the numbers it reads, the cut is not made in
      // silence: the line is named.
      std::fill(full.begin(), full.end(), 0.0);
      int full_taken = 0;
      const bool full_complete = read_line_numbers(whole, want, counted, full.data(), &full_taken);
      bool same = full_complete == complete;
      for (int k = 1; same && k <= want; ++k)
        same = std::isnan(full[k]) ? std::isnan(col[k]) : full[k] == col[k];
      if (!same) {
        *err = "line " + std::to_string(lines.number()) + " of " + quote(file.path) + " is " +
               std::to_string(whole.size()) + " characters long, and its cut at the " +
               std::to_string(width) + " the dialogue reads falls inside the numbers it takes;"
               " reduce the file from the command line, which reads lines whole";
        return false;
      }
    }
    for (int k = want + 1; k <= counted + 1; ++k) col[static_cast<std::size_t>(k)] = 0.0;
    if (!complete) {
      if (taken > 0) {
        ++seen.short_lines;
        seen.most_short = std::max(seen.most_short, taken);
      }
      continue;
    }
    if (r.rules.max_points > 0 && energy.size() == static_cast<std::size_t>(r.rules.max_points)) {
      ++seen.beyond;
      continue;
    }
    if (taken > want) {
      ++seen.more_lines;
      seen.most = std::max(seen.most, taken);
    }
    if (r.ncol < 3) {
      energy.push_back(static_cast<float>(col[1]));
      absorption.push_back(static_cast<float>(col[2]));
      continue;
    }
    double e = col[static_cast<std::size_t>(r.energy)];
    if (r.dspacing > 0.0) e = kAngleToEnergy / (2.0 * r.dspacing * std::sin(e * (M_PI / 180.0)));
    energy.push_back(static_cast<float>(e));
    if (r.mode == Mode::absorption) {
      absorption.push_back(static_cast<float>(value(r.absorption)));
    } else if (r.mode == Mode::fluorescence) {
      double fluorescence = value(r.fluorescence);
      for (int c : r.more_fluorescence) fluorescence += value(c);
      absorption.push_back(static_cast<float>(fluorescence / value(r.i0)));
    } else {
      absorption.push_back(static_cast<float>(std::log(value(r.i0) / value(r.i1))));
    }
  }

  data.zero(static_cast<int>(energy.size()));
  std::copy(energy.begin(), energy.end(), data.energy.begin());
  std::copy(absorption.begin(), absorption.end(), data.absorption.begin());
  energies_to_ev(data, screen);
  const std::string name = quote(file.path);
  if (seen.beyond > 0) {
    screen.record(FreeFormRecord().add_text(
        " ... more than 15000 points: the rest of the file is ignored"));
    warnings.add(name + " holds " + std::to_string(seen.beyond + r.rules.max_points) +
                     " points; the dialogue reads the first " +
                     std::to_string(r.rules.max_points) +
                     ": the command line reads them all",
                 true);
  }
  show_count(data, screen);
  const std::string declared =
      r.ncol_said.empty() ? "the " + std::to_string(r.ncol) + " answered to \"Number of columns?\""
                          : r.ncol_said;
  if (data.n == 0 && seen.short_lines > 0) {
    *err = "no line of " + name + " holds " + declared + ": its lines hold at most " +
           std::to_string(seen.most_short) + " numbers";
    return false;
  }
  if (seen.more_lines > 0 && r.ncol >= 1) {
    const bool one = seen.more_lines == 1;
    warnings.add(std::to_string(seen.more_lines) + " data line" + (one ? " of " : "s of ") + name +
                     (one ? " holds " : " hold ") +
                     (seen.most > seen.limit ? "more than " + std::to_string(seen.limit)
                                             : std::to_string(seen.most)) +
                     " numbers, more than " + declared + ": only the first " +
                     std::to_string(r.ncol) + " of a line are read",
                 true);
  }
  return true;
}

void load_points(const Request& request, const std::vector<float>& energy,
                 const std::vector<float>& absorption, TextOut& screen, Data& data) {
  show_file_name(request, screen);
  data.zero(static_cast<int>(std::min(energy.size(), absorption.size())));
  std::copy_n(energy.begin(), data.n, data.energy.begin());
  std::copy_n(absorption.begin(), data.n, data.absorption.begin());
  energies_to_ev(data, screen);
  show_count(data, screen);
}

bool avafile(AnswerSource& answers, const ReadingRules& rules, int answers_fd, TextOut& screen,
             Warnings& warnings, Request* request, DataText* text, Data& data, Opened* opened,
             std::string* err) {
  *opened = Opened::refused;
  if (!ask_data_file(answers, rules, screen, request, err)) return false;
  *opened = open_data_file(request, answers_fd, screen, warnings, text, err);
  return *opened == Opened::read && load_table(*request, *text, screen, warnings, data, err);
}

void energies_to_ev(Data& data, TextOut& screen) {
  if (data.n >= 1 && data.energy(1) < 200.0f)
    screen.record(FreeFormRecord().add_text(" ENERGY is in keV!"));
  for (int i = 1; i <= data.n; ++i)
    if (data.energy(i) < 200.0f) data.energy(i) = data.energy(i) * 1000.0f;
}

}  // namespace xas
