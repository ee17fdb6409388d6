#include "cli/column_choice.h"

#include "common/characters.h"
#include "common/message_text.h"

namespace xas {

namespace {

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::string numbers_text(int n) { return std::to_string(n) + (n == 1 ? " number" : " numbers"); }

// The file's labels as one list; "-" stands for a column without a name.
std::string label_list(const TableHead& head) {
  std::string list;
  for (const std::string& label : head.names) {
    if (!list.empty()) list += ' ';
    list += label.empty() ? "-" : label;
  }
  return list;
}

}  // namespace

bool column_of(const TableHead& head, const ColumnRef& ref, const std::string& option,
               int* column, std::string* refusal) {
  if (ref.label.empty()) {
    *column = ref.number;
    return true;
  }
  std::vector<int> found;
  for (std::size_t i = 0; i < head.names.size(); ++i)
    if (same_name(head.names[i], ref.label)) found.push_back(static_cast<int>(i) + 1);
  if (found.empty()) {
    *refusal = "no column is named '" + ref.label + "' (" + option + "): " +
               (head.names.empty() ? std::string("the file names no columns")
                                   : "its columns are: " + label_list(head));
    return false;
  }
  if (found.size() > 1) {
    *refusal = quote(ref.label) + " (" + option + ") names columns " + std::to_string(found[0]) +
               " and " + std::to_string(found[1]) + ": give the column number";
    return false;
  }
  *column = found[0];
  return true;
}

bool chosen_channel(const std::string& path, const TableHead& head,
                    const std::vector<ColumnRef>& columns,
                    const std::vector<ColumnRef>& fluorescence, int ncol, double dspacing,
                    Channel* out, std::string* refusal) {
  if (head.first_line == 0) {
    *refusal = "no data line: no line outside the header holds numbers only";
    return false;
  }
  if (ncol > kWideMaxColumns) {
    *refusal = "-n " + std::to_string(ncol) + " is more than the " +
               std::to_string(kWideMaxColumns) + " numbers a line may hold";
    return false;
  }
  Request r = table_request(path, head, ncol);
  r.dspacing = dspacing;
  const bool given_f = !fluorescence.empty();
  const std::string option = given_f ? "-f" : "-c";
  const std::vector<ColumnRef>& list = given_f ? fluorescence : columns;
  std::vector<int> picked(list.size());
  for (std::size_t i = 0; i < list.size(); ++i)
    if (!column_of(head, list[i], option, &picked[i], refusal)) return false;
  std::string label;
  if (given_f) {
    r.mode = Mode::fluorescence;
    r.energy = picked[0];
    r.fluorescence = picked[1];
    r.i0 = picked[2];
    label = "col " + std::to_string(r.fluorescence) + "/col " + std::to_string(r.i0);
  } else if (list.size() == 2) {
    r.mode = Mode::absorption;
    r.energy = picked[0];
    r.absorption = picked[1];
    label = "col " + std::to_string(r.absorption);
  } else {
    r.mode = Mode::intensities;
    r.energy = picked[0];
    r.i0 = picked[1];
    r.i1 = picked[2];
    label = "ln(col " + std::to_string(r.i0) + "/col " + std::to_string(r.i1) + ")";
  }
  // Every column read lies within the numbers read from a line.
  for (std::size_t i = 0; i < picked.size(); ++i) {
    if (picked[i] <= r.ncol) continue;
    *refusal = "column " + std::to_string(picked[i]) + " of " + option + " is beyond " +
               r.ncol_said;
    return false;
  }
  if (r.ncol < 3 && !(r.mode == Mode::absorption && r.energy == 1 && r.absorption == 2)) {
    *refusal = "with " + numbers_text(r.ncol) +
               " per line the energy is column 1 and the absorption column 2 (" + option + ")";
    return false;
  }
  out->request = r;
  out->request.channel = label;
  out->label = label;
  out->words = "the columns given with " + option;
  out->kind = r.mode == Mode::absorption ? 0 : r.mode == Mode::intensities ? 1 : 2;
  return true;
}

}  // namespace xas
