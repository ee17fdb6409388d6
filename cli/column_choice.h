// The columns a user gives with -c or -f (numbers, or names the file uses)
// resolved against the head of a file into the one channel they read.
#pragma once

#include <string>
#include <vector>

#include "cli/channels.h"
#include "cli/formats/head.h"

namespace xas {

// One item of a column list: a column number counted from 1, or a label.
struct ColumnRef {
  int number = 0;     // 1 or more; 0 when the item is a label
  std::string label;  // the label, matched without regard to case
};

// The column number of one item of a column list given with `option` (a
// number, or a name the file's head gives one column); fails with a message
// naming the option when no column, or more than one, has the name.
bool column_of(const TableHead& head, const ColumnRef& ref, const std::string& option,
               int* column, std::string* refusal);

// The channel of the user's choice:
// - `columns` of 2 items (E, MU): absorption column MU;
// - `columns` of 3 items (E, I0, I1): absorption ln(I0/I1);
// - `fluorescence` of 3 items (E, IF, I0): absorption IF/I0.
// ncol is `ncol` when it is 1 or more, else the numbers of the table's first
// line. No column may lie beyond ncol, and with fewer than 3 numbers per
// line the energy is column 1 and the absorption column 2, as the dialogue
// reads such a table. `dspacing` (above 0) makes the energy column an angle.
// Fails with a one-line message, in the terms of the options, when the
// choice cannot be made.
bool chosen_channel(const std::string& path, const TableHead& head,
                    const std::vector<ColumnRef>& columns,
                    const std::vector<ColumnRef>& fluorescence, int ncol, double dspacing,
                    Channel* out, std::string* refusal);

}  // namespace xas
