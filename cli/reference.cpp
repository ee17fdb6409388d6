#include "cli/reference.h"

#include "background/edge.h"
#include "cli/column_roles.h"
#include "common/message_text.h"
#include "common/records.h"
#include "common/text_out.h"
#include "common/warnings.h"
#include "driver/avafile.h"
#include "driver/reduction.h"

namespace xas {

namespace {

std::string name_of(const TableHead& head, int column) {
  const std::size_t i = static_cast<std::size_t>(column - 1);
  return i < head.names.size() && !head.names[i].empty() ? head.names[i]
                                                         : "col " + std::to_string(column);
}

Role role_at(const TableHead& head, int column) {
  const std::size_t i = static_cast<std::size_t>(column - 1);
  return i < head.names.size() ? role_of(head.names[i]).role : Role::none;
}

// The first column of the role, 0 for none.
int first_of(const TableHead& head, Role role) {
  for (std::size_t i = 0; i < head.names.size(); ++i)
    if (role_of(head.names[i]).role == role) return static_cast<int>(i) + 1;
  return 0;
}

// The transmitted intensity: the sample's, in a transmission file, else the
// column the names give.
int transmitted(const TableHead& head, const Request& sample) {
  return sample.mode == Mode::intensities ? sample.i1 : first_of(head, Role::i1);
}

}  // namespace

ReferenceEdge reference_edge(const TableHead& head, const DataText& text, const Request& sample,
                             const std::vector<ColumnRef>& given) {
  ReferenceEdge out;
  Request r = sample;
  r.more_fluorescence.clear();
  if (!given.empty()) {
    int a = 0, b = 0;
    if (!column_of(head, given[0], "--reference", &a, &out.why) ||
        (given.size() == 2 && !column_of(head, given[1], "--reference", &b, &out.why)))
      return out;
    const Role role = role_at(head, a);
    const int i1 = transmitted(head, sample);
    if (given.size() == 1 &&
        (role == Role::reference || role == Role::absorption || i1 == 0 || i1 == a)) {
      r.mode = Mode::absorption;
      r.absorption = a;
    } else {
      r.mode = Mode::intensities;
      r.i0 = given.size() == 2 ? a : i1;
      r.i1 = given.size() == 2 ? b : a;
    }
  } else if (const int mu = first_of(head, Role::reference); mu > 0) {
    r.mode = Mode::absorption;
    r.absorption = mu;
  } else if (const int behind = first_of(head, Role::reference_i);
             behind > 0 && transmitted(head, sample) > 0) {
    r.mode = Mode::intensities;
    r.i0 = transmitted(head, sample);
    r.i1 = behind;
  } else {
    out.why = head.names.empty()
                  ? "the file names no columns: give the reference channel with --reference"
                  : "no column is named as a reference channel (irefer, iref, i2, murefer ...):"
                    " give it with --reference";
    return out;
  }
  out.label = r.mode == Mode::absorption
                  ? name_of(head, r.absorption)
                  : "ln(" + name_of(head, r.i0) + "/" + name_of(head, r.i1) + ")";
  for (int column : {r.absorption, r.i0, r.i1}) {
    if (column <= r.ncol) continue;
    out.why = "the reference channel " + out.label + " lies beyond " + r.ncol_said;
    return out;
  }
  Data data;
  TextOut screen;
  Warnings warnings;
  std::string err;
  if (!load_table(r, text, screen, warnings, data, &err) ||
      !check_points(data, "the reference channel " + out.label, &err)) {
    out.why = err;
    return out;
  }
  energies_to_kev(data, screen);
  const SmoothEdge edge = smooth_edge(data);
  if (!edge.found) {
    out.why = "the reference channel " + out.label + " shows no edge";
    return out;
  }
  out.found = true;
  out.e0 = edge.e0 * 1000.0f;
  return out;
}

}  // namespace xas
