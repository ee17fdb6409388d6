// How the numbers of a data line are read: how many are taken from each line,
// and which of them hold the energy and the absorption (or the intensities it
// is computed from). Column numbers count from 1.
#pragma once

namespace xas {

struct Columns {
  int ncol = 0;  // numbers read from each data line
  int ne = 0;    // energy
  int nab = 0;   // absorption; 0 or less: computed from intensities
  int ni0 = 0;   // incident intensity I0
  int ni1 = 0;   // transmitted intensity I1: absorption ln(I0/I1)
  int nif = 0;   // fluorescence IF, with I0: absorption IF/I0 (0: not this mode)
};

}  // namespace xas
