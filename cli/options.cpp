#include "cli/options.h"

#include "common/characters.h"
#include "common/message_text.h"

#include <cmath>
#include <cstddef>
#include <string_view>

#include "cli/column_roles.h"
#include "common/freeform_read.h"

namespace xas {

namespace {

enum class Opt {
  columns, fluorescence, ncol, dspacing, e0, kmin, kmax, kweight, dk, rmax,
  topdrawer, xdi, align, reference, merge, report, outdir, jobs, png, svg, quiet, help, version
};

struct OptionEntry {
  Opt opt;
  char short_name;  // 0: long form only
  const char* long_name;
  bool takes_value;
  bool optional_value = false;  // a value only as --name=VALUE
};

constexpr OptionEntry kOptions[] = {
    {Opt::columns, 'c', "columns", true},   {Opt::fluorescence, 'f', "fluorescence", true},
    {Opt::ncol, 'n', "ncol", true},         {Opt::dspacing, 0, "dspacing", true},
    {Opt::e0, 0, "e0", true},               {Opt::kmin, 0, "kmin", true},
    {Opt::kmax, 0, "kmax", true},           {Opt::kweight, 0, "kweight", true},
    {Opt::dk, 0, "dk", true},               {Opt::rmax, 0, "rmax", true},
    {Opt::topdrawer, 't', "topdrawer", false}, {Opt::xdi, 0, "xdi", false},
    {Opt::align, 0, "align", false, true},  {Opt::reference, 0, "reference", true},
    {Opt::merge, 0, "merge", false},        {Opt::report, 0, "report", true},
    {Opt::outdir, 'o', "outdir", true},     {Opt::jobs, 'j', "jobs", true},
    {Opt::png, 0, "png", false},            {Opt::svg, 0, "svg", false},
    {Opt::quiet, 'q', "quiet", false},      {Opt::help, 'h', "help", false},
    {Opt::version, 'V', "version", false},
};

const OptionEntry* find_short(char c) {
  for (const OptionEntry& entry : kOptions)
    if (entry.short_name != 0 && entry.short_name == c) return &entry;
  return nullptr;
}

const OptionEntry* find_long(std::string_view name) {
  for (const OptionEntry& entry : kOptions)
    if (name == entry.long_name) return &entry;
  return nullptr;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// An optional sign and digits: meant as a column number, not a label.
bool looks_numeric(std::string_view s) {
  std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// A whole number within [low, high]; false for anything else.
bool number_in(std::string_view text, int low, int high, int* value) {
  bool overflow = false;
  int v = 0;
  if (!parse_integer(text, &v, &overflow) || v < low || v > high) return false;
  *value = v;
  return true;
}

// A column list of -c or -f: items separated by commas, each a column number
// or a label; `counts` says how many items the option takes.
bool parse_column_list(std::string_view value, const std::string& option, const char* counts,
                       std::size_t min_items, std::size_t max_items, std::vector<ColumnRef>* out,
                       std::string* err) {
  const std::string quoted = quote(value);
  if (trim(value).empty()) {
    *err = option + " needs a list of columns: " + counts;
    return false;
  }
  std::vector<ColumnRef> refs;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = value.find(',', start);
    std::string_view item =
        trim(value.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                 : comma - start));
    if (item.empty()) {
      *err = "empty item in the column list " + quoted + " of " + option;
      return false;
    }
    ColumnRef ref;
    if (looks_numeric(item)) {
      if (!number_in(item, 1, kWideMaxColumns, &ref.number)) {
        *err = "column " + std::string(item) + " in " + quoted + " of " + option +
               " is not between 1 and " + std::to_string(kWideMaxColumns);
        return false;
      }
    } else {
      for (char c : item)
        if (is_blank(c)) {
          *err = quote(item) + " in " + quoted + " of " + option +
                 " is not a column: a column is a number or a one-word name";
          return false;
        }
      ref.label = std::string(item);
    }
    refs.push_back(ref);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (refs.size() < min_items || refs.size() > max_items) {
    *err = option + " takes " + counts + ", not " + std::to_string(refs.size()) + ": " + quoted;
    return false;
  }
  *out = std::move(refs);
  return true;
}

// Applies one option; `option` is the form the user wrote ("-c", "--columns").
bool apply(const OptionEntry& entry, const std::string& option, std::string_view value,
           Options* o, std::string* err) {
  switch (entry.opt) {
    case Opt::columns:
      return parse_column_list(value, option, "2 columns (E,MU) or 3 (E,I0,I1)", 2, 3,
                               &o->choice.columns, err);
    case Opt::fluorescence:
      return parse_column_list(value, option, "3 columns (E,IF,I0)", 3, 3, &o->choice.fluorescence, err);
    case Opt::ncol:
      if (number_in(value, 1, kWideMaxColumns, &o->choice.ncol)) return true;
      *err = option + " takes a number of columns from 1 to " + std::to_string(kWideMaxColumns) +
             ", not " + quote(value);
      return false;
    case Opt::dspacing: {
      double d = 0.0;
      if (parse_real(value, &d) && d > 0.0 && d < 1000.0) {
        o->choice.dspacing = d;
        return true;
      }
      *err = option + " takes the crystal's lattice spacing in Angstrom, a positive number, not " +
             quote(value);
      return false;
    }
    case Opt::e0: {
      double e = 0.0;
      if (value == "smooth") {
        o->e0 = EdgeRule{EdgeRule::smooth, 0.0f};
        return true;
      }
      if (parse_real(value, &e) && e >= 200.0 && e < 1.0e6) {
        o->e0 = EdgeRule{EdgeRule::given, static_cast<float>(e / 1000.0)};
        return true;
      }
      *err = option + " takes 'smooth' or an edge energy in eV (200 or more), not " + quote(value);
      return false;
    }
    case Opt::kmin:
    case Opt::kmax:
    case Opt::kweight:
    case Opt::dk:
    case Opt::rmax: {
      struct Limit {
        Opt opt;
        double low, high;
        float TransformChoice::*field;
        const char* what;
      };
      static const Limit kLimits[] = {
          {Opt::kmin, 0.0, 100.0, &TransformChoice::kmin, "a wave number in 1/Angstrom, 0 or more"},
          {Opt::kmax, 0.0, 100.0, &TransformChoice::kmax, "a wave number in 1/Angstrom"},
          {Opt::kweight, 0.0, 4.0, &TransformChoice::kweight, "a weight exponent from 0 to 4"},
          {Opt::dk, 0.0, 20.0, &TransformChoice::dk, "a taper width in 1/Angstrom, above 0"},
          {Opt::rmax, 0.0, 100.0, &TransformChoice::rmax,
           "a distance in Angstrom, above 0 and at most 100"},
      };
      for (const Limit& limit : kLimits) {
        if (limit.opt != entry.opt) continue;
        double v = 0.0;
        const bool zero_allowed = entry.opt == Opt::kmin || entry.opt == Opt::kweight;
        if (parse_real(value, &v) && std::isfinite(v) && v <= limit.high &&
            (v > limit.low || (zero_allowed && v == limit.low))) {
          o->parameters.*limit.field = static_cast<float>(v);
          return true;
        }
        *err = option + " takes " + limit.what + ", not " + quote(value);
      }
      return false;
    }
    case Opt::jobs:
      if (number_in(value, 1, 1 << 30, &o->jobs)) return true;
      *err = option + " takes a positive whole number, not " + quote(value);
      return false;
    case Opt::outdir:
      if (value.empty()) {
        *err = option + " needs a directory name";
        return false;
      }
      o->outdir = std::string(value);
      return true;
    case Opt::topdrawer: o->topdrawer = true; return true;
    case Opt::xdi: o->xdi = true; return true;
    case Opt::align: {
      o->align = true;
      o->choice.reference = true;
      if (value.empty()) return true;
      double e = 0.0;
      if (parse_real(value, &e) && e >= 200.0 && e < 1.0e6) {
        o->align_to = static_cast<float>(e);
        return true;
      }
      *err = option + "=EV takes the energy (eV, 200 or more) to align the reference edges on, not " +
             quote(value);
      return false;
    }
    case Opt::reference:
      o->align = true;
      o->choice.reference = true;
      return parse_column_list(value, option,
                               "1 column (the reference's absorption, or its intensity behind the"
                               " reference foil) or 2 (I1,IREF)",
                               1, 2, &o->choice.reference_columns, err);
    case Opt::merge: o->merge = true; return true;
    case Opt::report:
      if (value.empty()) {
        *err = option + " needs the name of the page to write";
        return false;
      }
      o->report = std::string(value);
      return true;
    case Opt::png: o->png = true; return true;
    case Opt::svg: o->svg = true; return true;
    case Opt::quiet: o->quiet = true; return true;
    case Opt::help: o->help = true; return true;
    case Opt::version: o->version = true; return true;
  }
  return false;
}

std::string needs_value(const std::string& option) { return "option " + option + " needs a value"; }

}  // namespace

bool apply_named_option(std::string_view long_name, std::string_view value,
                        const std::string& said, Options* options, std::string* err) {
  const OptionEntry* entry = find_long(long_name);
  if (entry == nullptr) {
    *err = "unknown option " + quote(said);
    return false;
  }
  return apply(*entry, said, value, options, err);
}

bool check_option_pairs(const Options& o, bool keywords, std::string* err) {
  const TransformChoice& p = o.parameters;
  if (!std::isnan(p.kmin) && !std::isnan(p.kmax) && !(p.kmax > p.kmin)) {
    *err = keywords ? "kmax must lie above kmin" : "--kmax must lie above --kmin";
    return false;
  }
  if (!o.choice.columns.empty() && !o.choice.fluorescence.empty()) {
    const std::string c = keywords ? "columns" : "-c", f = keywords ? "fluorescence" : "-f";
    *err = c + " and " + f + " cannot be given together: " + c +
           " is for absorption or I0 and I1, " + f + " for fluorescence";
    return false;
  }
  return true;
}

bool parse_options(int argc, const char* const* argv, Options* options, std::string* err) {
  Options o;
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (only_files || arg.size() < 2 || arg[0] != '-') {
      if (arg.empty()) {
        *err = "an empty FILE name";
        return false;
      }
      o.files.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      only_files = true;
      continue;
    }
    if (arg[1] == '-') {  // --name, --name=value, --name value
      std::size_t eq = arg.find('=');
      std::string_view name = arg.substr(2, eq == std::string_view::npos ? eq : eq - 2);
      const OptionEntry* entry = find_long(name);
      std::string option = "--" + std::string(name);
      if (entry == nullptr) {
        *err = "unknown option " + quote(option);
        return false;
      }
      std::string_view value;
      if (eq != std::string_view::npos) {
        if (!entry->takes_value && !entry->optional_value) {
          *err = "option " + option + " takes no value";
          return false;
        }
        value = arg.substr(eq + 1);
      } else if (entry->takes_value) {
        if (i + 1 == argc) {
          *err = needs_value(option);
          return false;
        }
        value = argv[++i];
      }
      if (!apply(*entry, option, value, &o, err)) return false;
      continue;
    }
    for (std::size_t j = 1; j < arg.size(); ++j) {  // -x, bundled flags, -cVALUE, -c VALUE
      const OptionEntry* entry = find_short(arg[j]);
      std::string option = std::string("-") + arg[j];
      if (entry == nullptr) {
        *err = "unknown option " + quote(option);
        return false;
      }
      if (!entry->takes_value) {
        apply(*entry, option, {}, &o, err);
        continue;
      }
      std::string_view value = arg.substr(j + 1);
      if (value.empty()) {
        if (i + 1 == argc) {
          *err = needs_value(option);
          return false;
        }
        value = argv[++i];
      }
      if (!apply(*entry, option, value, &o, err)) return false;
      break;
    }
  }
  if (!check_option_pairs(o, false, err)) return false;
  if (o.files.empty() && !o.help && !o.version) {
    *err = "no FILE given";
    return false;
  }
  *options = std::move(o);
  return true;
}

std::string usage_text() {
  std::string text =
      "Usage: xasreduce [OPTIONS] FILE...\n"
      "       xasreduce             (the dialogue: answers on standard input)\n"
      "\n"
      "Reduces every FILE, a table of X-ray absorption data, without a question and\n"
      "as the dialogue does for the same answers: edge, pre-edge line, background,\n"
      "jump, normalised EXAFS chi(k), its Fourier transform and the noise. Results\n"
      "go to DIR as BASE.gabs, BASE.gexa and BASE.gfou, with BASE.log holding the\n"
      "dialogue's report; standard output carries a tab-separated summary table.\n"
      "\n"
      "Options:\n"
      "  -c, --columns E,MU     energy and absorption columns\n"
      "  -c, --columns E,I0,I1  energy, I0 and I1 columns: absorption ln(I0/I1)\n"
      "  -f, --fluorescence E,IF,I0\n"
      "                         energy, fluorescence and I0: absorption IF/I0\n"
      "                         (a column is a number from 1 to 1024 or a name)\n"
      "  -n, --ncol N           numbers read from each data line, 1 to 1024\n"
      "                         (default: those of the first data line)\n"
      "      --dspacing D       the energy column holds the monochromator angle\n"
      "                         (degrees) of a crystal of lattice spacing D (Angstrom)\n"
      "      --e0 smooth        the edge energy of every file from its smoothed\n"
      "                         derivative (for noisy series)\n"
      "      --e0 EV            this edge energy (eV) for every file\n"
      "      --kmin K, --kmax K the k window of the transform (1/Angstrom; default\n"
      "                         2.5 to the next-to-last point)\n"
      "      --kweight W        the weight k^W of the transform (default 2)\n"
      "      --dk D             the width of the window's tapers (default 0.5)\n"
      "      --rmax R           the transform from 0 to R Angstrom (default 10)\n"
      "  -t, --topdrawer        also the four TopDrawer scripts\n"
      "      --xdi              also BASE_norm.xdi, BASE_chi.xdi and BASE_ft.xdi: XDI\n"
      "                         files with named columns for other XAS tools\n"
      "      --align            shift each file's energies so that its reference's edge\n"
      "                         (irefer, i2, murefer ...) falls on the first file's;\n"
      "                         --align=EV: on EV. The summary gains shift_eV\n"
      "      --reference COL    the reference channel: its absorption, or (with I1) its\n"
      "                         intensity behind the reference foil; COL,COL: ln(A/B)\n"
      "      --merge            also the noise-weighted average of the call's spectra,\n"
      "                         reduced as BASE_merged (after --align, aligned)\n"
      "      --report PAGE      a page of the series (PAGE.html): summary table,\n"
      "                         pictures (with gnuplot); one file, no network\n"
      "  -o, --outdir DIR       results in DIR, created when missing (default: .)\n"
      "  -j, --jobs N           spectra reduced at once (default: one per core)\n"
      "      --png              also draw BASE.png of each spectrum (needs gnuplot)\n"
      "      --svg              also draw BASE.svg of each spectrum (needs gnuplot)\n"
      "  -q, --quiet            no progress line\n"
      "  -h, --help             this text\n"
      "  -V, --version          the version\n"
      "  --                     every later argument is a FILE\n"
      "A FILE \"-\" is the file of that name, not standard input.\n"
      "\n"
      "Without -c or -f the columns are found by their names, as beamlines write\n"
      "them: XDI, spec (#L), Epics scan files, SSRL, CLS and KEK-PF files (the\n"
      "energy from the angle and the header's D=), lists of numbered names, and a\n"
      "last line of names before the table; a table of two numbers per line is\n"
      "energy and absorption. Names, in any case:\n";
  for (const KnownNames& group : known_column_names()) {
    std::string line = "  " + std::string(group.what);
    line.resize(16, ' ');
    text += line + group.names + "\n";
  }
  text +=
      "A file offering several channels (absorption columns, I0 with I1, fluorescence\n"
      "with I0) gets the first, in that order, whose edge jump is at least 50 times\n"
      "its noise; several fluorescence channels of one detector are summed. The\n"
      "summary's channel column says which was reduced.\n"
      "\n"
      "Example:\n"
      "  xasreduce -o results -c energy,i0,itrans scan*.xdi > summary.tsv\n"
      "\n"
      "Exit status: 0 when every file was reduced; 1 when at least one was refused\n"
      "(the others are still reduced); 2 for a usage error, before any reduction.\n";
  return text;
}

}  // namespace xas
