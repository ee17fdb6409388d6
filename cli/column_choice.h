// The choice of a data file's columns for a reduction from the command line:
// the user's column list (numbers or labels) or, without one, the file's own
// column names, resolved against the head of the file into the columns the
// data reader takes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/column_labels.h"
#include "driver/request.h"

namespace xas {

// One item of a column list: a column number counted from 1, or a label.
struct ColumnRef {
  int number = 0;     // 1 or more; 0 when the item is a label
  std::string label;  // the label, matched without regard to case
};

// The column names known to the choice without a column list, matched
// without regard to case, in the order of ColumnRole.
enum class ColumnRole { energy, absorption, i0, i1, fluorescence };
struct KnownNames {
  ColumnRole role;
  const char* what;  // "energy", "absorption", "I0", "I1", "fluorescence"
  std::vector<std::string_view> names;
};
const std::vector<KnownNames>& known_column_names();

// Resolves the user's choice into the columns read from the file:
// - `columns` of 2 items (E, MU): absorption column MU;
// - `columns` of 3 items (E, I0, I1): absorption ln(I0/I1), nab 0;
// - `fluorescence` of 3 items (E, IF, I0): absorption IF/I0, nab 0;
// - neither: with fewer than 3 numbers per line energy 1 and absorption 2,
//   else the file's known column names (absorption first, then I0 with I1,
//   then fluorescence with I0; the leftmost column of each kind).
// ncol is `ncol` when it is 1 or more, else the numbers of the first data
// line. No column may lie beyond ncol, and with fewer than 3 numbers per line
// the energy is column 1 and the absorption column 2, as the dialogue reads
// such a table. Fails with a one-line message (without the file's name) when
// the choice cannot be made.
// Fills the request's ncol, mode and columns.
bool resolve_columns(const FileHead& head, const std::vector<ColumnRef>& columns,
                     const std::vector<ColumnRef>& fluorescence, int ncol, Request* out,
                     std::string* refusal);

}  // namespace xas
