// The command line: argv read into options, and the usage errors.
#include "cli/options.h"

#include "cli/column_roles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace xas {
namespace {

std::string refs_text(const std::vector<ColumnRef>& refs) {
  std::string s;
  for (const ColumnRef& r : refs) {
    if (!s.empty()) s += ',';
    s += r.label.empty() ? std::to_string(r.number) : "[" + r.label + "]";
  }
  return s;
}

// The options that differ from the defaults, in a fixed order.
std::string describe(const Options& o) {
  std::ostringstream s;
  if (!o.choice.columns.empty()) s << " c=" << refs_text(o.choice.columns);
  if (!o.choice.fluorescence.empty()) s << " f=" << refs_text(o.choice.fluorescence);
  if (o.choice.ncol != 0) s << " n=" << o.choice.ncol;
  if (o.topdrawer) s << " t";
  if (o.png) s << " png";
  if (o.svg) s << " svg";
  if (o.quiet) s << " q";
  if (o.help) s << " h";
  if (o.version) s << " V";
  if (o.outdir != ".") s << " o=" << o.outdir;
  if (o.jobs != 0) s << " j=" << o.jobs;
  for (const std::string& f : o.files) s << " <" << f << ">";
  return s.str().empty() ? "" : s.str().substr(1);
}

// "ok: " and the options, or "error: " and the message.
std::string parse(std::vector<const char*> args) {
  args.insert(args.begin(), "xasreduce");
  Options o;
  std::string err;
  if (!parse_options(static_cast<int>(args.size()), args.data(), &o, &err)) return "error: " + err;
  return "ok: " + describe(o);
}

struct Case {
  std::vector<const char*> args;
  const char* expected;
};

TEST(Options, AcceptedCommandLines) {
  const Case cases[] = {
      {{"a.dat"}, "ok: <a.dat>"},
      {{"-tq", "a"}, "ok: t q <a>"},
      {{"-c1,2", "a"}, "ok: c=1,2 <a>"},
      {{"-c", "1,2", "a"}, "ok: c=1,2 <a>"},
      {{"--columns=energy,i0,itrans", "a"}, "ok: c=[energy],[i0],[itrans] <a>"},
      {{"--columns", "1,17", "a"}, "ok: c=1,17 <a>"},
      {{"-tqc", "E,mu", "a"}, "ok: c=[E],[mu] t q <a>"},       // a value option ends a bundle
      {{"-c", " 1 , 2 ", "a"}, "ok: c=1,2 <a>"},               // blanks around items
      {{"-c1,2", "-c3,4", "a"}, "ok: c=3,4 <a>"},               // the later one counts
      {{"-f", "1,ifluor,i0", "a"}, "ok: f=1,[ifluor],[i0] <a>"},
      {{"-n20", "-j", "3", "-o", "out", "--png", "--svg", "a", "b"},
       "ok: n=20 png svg o=out j=3 <a> <b>"},
      {{"a", "-q", "b"}, "ok: q <a> <b>"},                     // options after files
      {{"-o", "-q", "a"}, "ok: o=-q <a>"},                     // a value may begin with '-'
      {{"--", "-q", "--png"}, "ok: <-q> <--png>"},
      {{"-"}, "ok: <->"},
      {{"-h"}, "ok: h"},
      {{"--version"}, "ok: V"},
  };
  for (const Case& c : cases) EXPECT_EQ(parse(c.args), c.expected) << c.args.size() << " args";
}

TEST(Options, UsageErrorsNameWhatWasWrong) {
  const Case cases[] = {
      {{"--bogus", "a"}, "error: unknown option '--bogus'"},
      {{"-x", "a"}, "error: unknown option '-x'"},
      {{"-tx", "a"}, "error: unknown option '-x'"},
      {{"--colu=1,2", "a"}, "error: unknown option '--colu'"},  // no abbreviations
      {{"a", "-c"}, "error: option -c needs a value"},
      {{"--quiet=1", "a"}, "error: option --quiet takes no value"},
      {{"--columns=1,2,3,4", "a"},
       "error: --columns takes 2 columns (E,MU) or 3 (E,I0,I1), not 4: '1,2,3,4'"},
      {{"-f", "1,2", "a"}, "error: -f takes 3 columns (E,IF,I0), not 2: '1,2'"},
      {{"-c", "1,,2", "a"}, "error: empty item in the column list '1,,2' of -c"},
      {{"--columns=", "a"},
       "error: --columns needs a list of columns: 2 columns (E,MU) or 3 (E,I0,I1)"},
      {{"-c", "0,2", "a"}, "error: column 0 in '0,2' of -c is not between 1 and 1024"},
      {{"-c", "1,1025", "a"}, "error: column 1025 in '1,1025' of -c is not between 1 and 1024"},
      {{"-c", "-1,2", "a"}, "error: column -1 in '-1,2' of -c is not between 1 and 1024"},
      {{"-f", "1,2,99999999999", "a"},
       "error: column 99999999999 in '1,2,99999999999' of -f is not between 1 and 1024"},
      {{"-c", "1,a b", "a"},
       "error: 'a b' in '1,a b' of -c is not a column: a column is a number or a one-word name"},
      {{"-c1,2", "-f1,2,3", "a"},
       "error: -c and -f cannot be given together: -c is for absorption or I0 and I1, -f for "
       "fluorescence"},
      {{"-n", "0", "a"}, "error: -n takes a number of columns from 1 to 1024, not '0'"},
      {{"--ncol=1025", "a"}, "error: --ncol takes a number of columns from 1 to 1024, not '1025'"},
      {{"-j", "0", "a"}, "error: -j takes a positive whole number, not '0'"},
      {{"--jobs=2.5", "a"}, "error: --jobs takes a positive whole number, not '2.5'"},
      {{"-o", "", "a"}, "error: -o needs a directory name"},
      {{}, "error: no FILE given"},
      {{""}, "error: an empty FILE name"},
  };
  for (const Case& c : cases) EXPECT_EQ(parse(c.args), c.expected) << c.args.size() << " args";
}

TEST(Options, HelpNamesEveryOptionAndKnownNameWithinEightyColumns) {
  const std::string help = usage_text();
  std::istringstream lines(help);
  std::string line;
  while (std::getline(lines, line)) EXPECT_LE(line.size(), 80u) << line;

  struct Long {
    const char* name;
    const char* value;  // nullptr: a flag
  };
  const Long options[] = {{"columns", "1,2"}, {"fluorescence", "1,2,3"}, {"ncol", "2"},
                          {"dspacing", "3.1355"}, {"topdrawer", nullptr}, {"outdir", "d"},
                          {"jobs", "2"},
                          {"png", nullptr}, {"svg", nullptr}, {"quiet", nullptr},
                          {"help", nullptr}, {"version", nullptr}};
  for (const Long& o : options) {
    std::string flag = std::string("--") + o.name;
    EXPECT_NE(help.find(flag), std::string::npos) << flag;
    std::vector<const char*> args{flag.c_str()};
    if (o.value != nullptr) args.push_back(o.value);
    args.push_back("a");
    EXPECT_EQ(parse(args).substr(0, 3), "ok:") << flag;
  }
  for (const KnownNames& group : known_column_names())
    EXPECT_NE(help.find(group.names), std::string::npos) << group.what;
  EXPECT_NE(help.find("Exit status"), std::string::npos);
  EXPECT_NE(help.find("Example"), std::string::npos);
}

}  // namespace
}  // namespace xas
