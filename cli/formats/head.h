// What the head of a data file tells about its table, as the formats that
// beamlines write set it down: where the table starts, how many numbers its
// lines hold, what its columns are called, and what else the reduction needs
// (a crystal spacing for an energy written as an angle, the element). Each
// format has one small reader; a file that none recognises is read by the
// rules of a plain table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xas {

struct TableHead {
  std::string format;              // the format recognised; "table" for a plain table
  std::vector<std::string> names;  // names[i] names column i + 1; "" for an unnamed column
  long first_line = 0;             // the table's first line (from 1); 0: the file has none
  long last_line = 0;              // its last line, when more follows (0: the end of the file)
  int numbers = 0;                 // the numbers on each line of the table
  // When above 0: the lattice spacing (Angstrom) of the monochromator
  // crystal, for a table whose energy is written as the crystal's angle.
  double dspacing = 0.0;
  // Per column, what the file's own header says a counter measures:
  // 'i' I0, 't' I1 (transmission), 'f' fluorescence, 0 unknown.
  std::string counters;
  std::string element;  // the absorbing element, when the header names it ("Fe")
  std::string edge;     // and its edge ("K")
  // The monochromator crystal's spacing (Angstrom) the header gives for
  // the record (XDI's Mono.d_spacing); the energies are energies still.
  double mono_spacing = 0.0;
  // When not empty, the file is no absorption spectrum: what it is, for the
  // refusal ("holds chi(k), not an absorption spectrum: ...").
  std::string not_a_spectrum;
};

// Reads the head of a data file's text.
TableHead read_head(std::string_view text);

}  // namespace xas
