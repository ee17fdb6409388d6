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

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "background/edge.h"
#include "cli/reduce_file.h"
#include "spectra/signal.h"

namespace xas {

struct Options {
  FileChoice choice;                    // -c, -f, -n, --dspacing, --reference
  EdgeRule e0;                          // --e0: smooth or an energy; the specified one by default
  TransformChoice parameters;           // --kmin --kmax --kweight --dk --rmax (NaN: not given)
  bool topdrawer = false;               // -t: also the four TopDrawer scripts
  bool xdi = false;                     // --xdi: also BASE_norm.xdi, BASE_chi.xdi, BASE_ft.xdi
  bool align = false;                   // --align: shift each file onto its reference's edge
  float align_to = NAN;                 // --align=EV: that edge energy (eV); NaN: the first file's
  bool merge = false;                   // --merge: also the average of the call's spectra
  std::string report;                   // --report: the page of the series ("": none)
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

// One option by its long name ("kmin") and its value, for a caller that takes
// options by name (the Python module's keywords): a message names the option
// as `said`, the way its caller wrote it.
bool apply_named_option(std::string_view long_name, std::string_view value,
                        const std::string& said, Options* options, std::string* err);

// The rules between options, once all are read: a k range that is one, not
// both -c and -f. `keywords`: messages name them as keywords ("kmin"), not as
// options ("--kmin").
bool check_option_pairs(const Options& options, bool keywords, std::string* err);

// The --help text: every option, the known column names, an example and the
// exit statuses, in lines of at most 80 columns.
std::string usage_text();

}  // namespace xas
