// The command line: `xasreduce [OPTIONS] FILE...` reduces every FILE without
// a question. This reads argv into plain options; nothing here looks at the
// files themselves (column labels are matched against each file later).
//
// The rules are those of GNU programs: short options may be bundled ("-tq"),
// a value may be attached or follow as the next argument ("-c1,2", "-c 1,2",
// "--columns=1,2", "--columns 1,2"), options and files may be mixed, "--"
// ends the options, and a lone "-" is a file name like any other (the file
// called "-", not standard input). Long options are written in full: no
// abbreviation is taken, so that adding an option never changes what an
// existing command line means.
#pragma once

#include <string>
#include <vector>

#include "background/edge.h"
#include "cli/column_choice.h"
#include "spectra/signal.h"

namespace xas {

struct Options {
  std::vector<ColumnRef> columns;       // -c: 2 items (E,MU) or 3 (E,I0,I1); empty: not given
  std::vector<ColumnRef> fluorescence;  // -f: 3 items (E,IF,I0); empty: not given
  int ncol = 0;                         // -n, 1 to 1024; 0: counted on the first data line
  double dspacing = 0.0;                // --dspacing: the energy column is an angle; 0: not given
  EdgeRule e0;                          // --e0: smooth or an energy; the specified one by default
  TransformChoice parameters;           // --kmin --kmax --kweight --dk --rmax (NaN: not given)
  bool topdrawer = false;               // -t: also the four TopDrawer scripts
  bool png = false;                     // --png: also BASE.png
  bool svg = false;                     // --svg: also BASE.svg
  bool quiet = false;                   // -q: no progress line
  bool help = false;                    // -h
  bool version = false;                 // -V
  std::string outdir = ".";             // -o
  int jobs = 0;                         // -j, 1 or more; 0: one per core
  std::vector<std::string> files;       // in the order given
};

// Reads argv[1..argc). On a usage error returns false with one line in `err`
// (without the program's name) that names what was wrong. A later -c, -f,
// -n, -o or -j replaces an earlier one of the same option. No FILE is an
// error unless -h or -V is given.
bool parse_options(int argc, const char* const* argv, Options* options, std::string* err);

// The --help text: every option, the known column names, an example and the
// exit statuses, in lines of at most 80 columns.
std::string usage_text();

}  // namespace xas
