#include "cli/column_choice.h"

#include "common/characters.h"
#include "common/message_text.h"

#include <cstddef>

namespace xas {

const std::vector<KnownNames>& known_column_names() {
  // Normalised columns and the reference channel (murefer) are not the
  // absorption of the sample as measured, so they are not among these.
  static const std::vector<KnownNames> kNames = {
      {ColumnRole::energy, "energy", {"energy", "e", "en", "ener", "energy_ev", "energy_kev"}},
      {ColumnRole::absorption, "absorption", {"mu", "xmu", "mutrans", "mufluor", "absorption"}},
      {ColumnRole::i0, "I0", {"i0", "io", "imon"}},
      {ColumnRole::i1, "I1", {"itrans", "i1", "it"}},
      {ColumnRole::fluorescence, "fluorescence", {"ifluor", "if", "ifl"}},
  };
  return kNames;
}

namespace {

// The columns as the choice finds them; nab 0 with ni0 and ni1 (or nif and
// ni0) for the intensity modes.
struct Columns {
  int ncol = 0, ne = 0, nab = 0, ni0 = 0, ni1 = 0, nif = 0;
};

const char kHint[] = "give the columns with -c E,MU or -c E,I0,I1 or -f E,IF,I0";

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::string numbers_text(int n) { return std::to_string(n) + (n == 1 ? " number" : " numbers"); }

// The file's labels as one list; "-" stands for a column without a name.
std::string label_list(const FileHead& head) {
  std::string list;
  for (const std::string& label : head.labels) {
    if (!list.empty()) list += ' ';
    list += label.empty() ? "-" : label;
  }
  return list;
}

// The leftmost column (from 1) whose label is one of the role's names; 0 if none.
int known_column(const FileHead& head, ColumnRole role) {
  const std::vector<std::string_view>& names =
      known_column_names()[static_cast<std::size_t>(role)].names;
  for (std::size_t i = 0; i < head.labels.size() && i < kWideMaxColumns; ++i)
    for (std::string_view name : names)
      if (same_name(head.labels[i], name)) return static_cast<int>(i) + 1;
  return 0;
}

// The column number of one item of the user's list.
bool column_of(const FileHead& head, const ColumnRef& ref, int* column, std::string* refusal) {
  if (ref.label.empty()) {
    if (ref.number < 1 || ref.number > kWideMaxColumns) {
      *refusal = "column " + std::to_string(ref.number) + " is not a column: columns count from 1 to " +
                 std::to_string(kWideMaxColumns);
      return false;
    }
    *column = ref.number;
    return true;
  }
  std::vector<int> found;
  for (std::size_t i = 0; i < head.labels.size(); ++i)
    if (same_name(head.labels[i], ref.label)) found.push_back(static_cast<int>(i) + 1);
  if (found.empty()) {
    *refusal = "no column is named '" + ref.label + "': " +
               (head.labels.empty() ? std::string("the file names no columns")
                                    : "its columns are: " + label_list(head));
    return false;
  }
  if (found.size() > 1) {
    *refusal = quote(ref.label) + " names columns " + std::to_string(found[0]) + " and " +
               std::to_string(found[1]) + ": give the column number";
    return false;
  }
  if (found[0] > kWideMaxColumns) {
    *refusal = quote(ref.label) + " is column " + std::to_string(found[0]) + ": at most " +
               std::to_string(kWideMaxColumns) + " numbers are read from a line";
    return false;
  }
  *column = found[0];
  return true;
}

bool columns_of(const FileHead& head, const std::vector<ColumnRef>& refs, int* const* targets,
                std::string* refusal) {
  for (std::size_t i = 0; i < refs.size(); ++i)
    if (!column_of(head, refs[i], targets[i], refusal)) return false;
  return true;
}

// The columns named by the file's known column names.
bool known_columns(const FileHead& head, Columns* c) {
  int e = known_column(head, ColumnRole::energy);
  if (e == 0) return false;
  int mu = known_column(head, ColumnRole::absorption);
  int i0 = known_column(head, ColumnRole::i0);
  int i1 = known_column(head, ColumnRole::i1);
  int fl = known_column(head, ColumnRole::fluorescence);
  c->ne = e;
  if (mu != 0) {
    c->nab = mu;
  } else if (i0 != 0 && i1 != 0) {
    c->ni0 = i0;
    c->ni1 = i1;
  } else if (fl != 0 && i0 != 0) {
    c->nif = fl;
    c->ni0 = i0;
  } else {
    return false;
  }
  return true;
}

// Every column the choice reads lies within the numbers read from a line.
bool check_reach(const Columns& c, bool ncol_given, std::string* refusal) {
  struct Use {
    const char* what;
    int column;
  };
  const Use uses[] = {{"energy", c.ne},  {"absorption", c.nab}, {"I0", c.ni0},
                      {"I1", c.ni1},     {"fluorescence", c.nif}};
  for (const Use& use : uses) {
    if (use.column <= c.ncol) continue;
    *refusal = std::string("the ") + use.what + " column " + std::to_string(use.column) +
               " is beyond the " + numbers_text(c.ncol) +
               (ncol_given ? " that -n " + std::to_string(c.ncol) + " reads from each line"
                           : " of the first data line");
    return false;
  }
  if (c.ncol < 3 && !(c.ne == 1 && c.nab == 2)) {
    *refusal = "with " + numbers_text(c.ncol) +
               " per line the energy is column 1 and the absorption column 2";
    return false;
  }
  return true;
}

}  // namespace

bool resolve_columns(const FileHead& head, const std::vector<ColumnRef>& columns,
                     const std::vector<ColumnRef>& fluorescence, int ncol, Request* out,
                     std::string* refusal) {
  if (head.numbers == 0) {
    *refusal = "no data line: no line outside the comments holds a number";
    return false;
  }
  if (ncol > kWideMaxColumns) {
    *refusal = "-n " + std::to_string(ncol) + " is more than the " +
               std::to_string(kWideMaxColumns) + " numbers a line may hold";
    return false;
  }
  Columns c;
  c.ncol = ncol >= 1 ? ncol : head.numbers;
  if (!fluorescence.empty()) {
    int* targets[] = {&c.ne, &c.nif, &c.ni0};
    if (fluorescence.size() != 3) {
      *refusal = "-f takes 3 columns (E,IF,I0)";
      return false;
    }
    if (!columns_of(head, fluorescence, targets, refusal)) return false;
  } else if (columns.size() == 2) {
    int* targets[] = {&c.ne, &c.nab};
    if (!columns_of(head, columns, targets, refusal)) return false;
  } else if (columns.size() == 3) {
    int* targets[] = {&c.ne, &c.ni0, &c.ni1};
    if (!columns_of(head, columns, targets, refusal)) return false;
  } else if (!columns.empty()) {
    *refusal = "-c takes 2 columns (E,MU) or 3 (E,I0,I1)";
    return false;
  } else if (c.ncol < 3) {  // the dialogue's table of energy and absorption
    c.ne = 1;
    c.nab = 2;
  } else if (!known_columns(head, &c)) {
    if (head.labels.empty()) {
      *refusal = numbers_text(head.numbers) + " per line and no column names; " + kHint;
      return false;
    } else {
      *refusal = "no known names of energy with absorption, I0 and I1, or fluorescence and I0"
                 " among its columns: " + label_list(head) + "; " + kHint;
      return false;
    }
  }
  if (!check_reach(c, ncol >= 1, refusal)) return false;
  out->ncol = c.ncol;
  out->energy = c.ne;
  out->absorption = c.nab;
  out->i0 = c.ni0;
  out->i1 = c.ni1;
  out->fluorescence = c.nif;
  out->mode = c.nab >= 1 ? Mode::absorption : c.nif >= 1 ? Mode::fluorescence : Mode::intensities;
  return true;
}

}  // namespace xas
