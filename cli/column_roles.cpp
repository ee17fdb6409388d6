#include "cli/column_roles.h"

#include <algorithm>
#include <array>

#include "common/characters.h"

namespace xas {

namespace {

bool is_alnum(char c) { return is_digit(c) || (lower(c) >= 'a' && lower(c) <= 'z'); }

// The name in lower case without the marks around it: a "_c7" column
// suffix, units in parentheses or brackets ("Energy (keV)", "xmu(trans)"),
// a trailing "*", blanks.
std::string plain(std::string_view name) {
  std::string s;
  for (char c : name) s += lower(c);
  while (!s.empty() && (s.back() == '*' || is_blank(s.back()))) s.pop_back();
  // "_c" and digits at the end.
  std::size_t i = s.size();
  while (i > 0 && is_digit(s[i - 1])) --i;
  if (i < s.size() && i >= 2 && s[i - 1] == 'c' && s[i - 2] == '_') s.erase(i - 2);
  // Units: a parenthesis or bracket closing the name, when something stands before it.
  while (!s.empty() && (s.back() == ')' || s.back() == ']')) {
    const std::size_t open = s.find_last_of(s.back() == ')' ? '(' : '[');
    if (open == std::string::npos || open == 0) break;
    s.erase(open);
    while (!s.empty() && is_blank(s.back())) s.pop_back();
  }
  return s;
}

// The alphanumeric pieces of a name: "XMAP4:DT Corr I0" -> xmap4 dt corr i0.
std::vector<std::string> tokens(std::string_view s) {
  std::vector<std::string> out;
  std::string t;
  for (char c : s) {
    if (is_alnum(c)) {
      t += c;
    } else if (!t.empty()) {
      out.push_back(t);
      t.clear();
    }
  }
  if (!t.empty()) out.push_back(t);
  return out;
}

bool one_of(std::string_view word, std::initializer_list<std::string_view> words) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

// The chemical symbols, for fluorescence lines named "FeKa", "Fe_Ka", "As Ka".
bool is_element(std::string_view s) {
  static constexpr std::array<std::string_view, 103> kSymbols = {
      "h",  "he", "li", "be", "b",  "c",  "n",  "o",  "f",  "ne", "na", "mg", "al", "si", "p",
      "s",  "cl", "ar", "k",  "ca", "sc", "ti", "v",  "cr", "mn", "fe", "co", "ni", "cu", "zn",
      "ga", "ge", "as", "se", "br", "kr", "rb", "sr", "y",  "zr", "nb", "mo", "tc", "ru", "rh",
      "pd", "ag", "cd", "in", "sn", "sb", "te", "i",  "xe", "cs", "ba", "la", "ce", "pr", "nd",
      "pm", "sm", "eu", "gd", "tb", "dy", "ho", "er", "tm", "yb", "lu", "hf", "ta", "w",  "re",
      "os", "ir", "pt", "au", "hg", "tl", "pb", "bi", "po", "at", "rn", "fr", "ra", "ac", "th",
      "pa", "u",  "np", "pu", "am", "cm", "bk", "cf", "es", "fm", "md", "no", "lr"};
  return std::find(kSymbols.begin(), kSymbols.end(), s) != kSymbols.end();
}

bool is_line(std::string_view s) {
  return one_of(s, {"ka", "kb", "ka1", "ka2", "kb1", "la", "la1", "lb", "lb1", "ma", "ma1"});
}

// A fluorescence line in the tokens: "feka" or "fe" "ka". Returns the element.
std::string line_element(const std::vector<std::string>& t, std::string* line) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    for (std::size_t cut = 1; cut <= 2 && cut < t[i].size(); ++cut)
      if (is_element(t[i].substr(0, cut)) && is_line(t[i].substr(cut))) {
        *line = t[i].substr(cut);
        return t[i].substr(0, cut);
      }
    if (i + 1 < t.size() && is_element(t[i]) && is_line(t[i + 1])) {
      *line = t[i + 1];
      return t[i];
    }
  }
  return std::string();
}

// A word and the digits that end it: "ifch3" -> "ifch", 3.
std::string without_digits(const std::string& word) {
  std::size_t end = word.size();
  while (end > 0 && is_digit(word[end - 1])) --end;
  return word.substr(0, end);
}

}  // namespace

ColumnRole role_of(std::string_view name) {
  ColumnRole r;
  const std::string s = plain(name);
  const std::vector<std::string> t = tokens(s);
  if (t.empty()) return r;
  std::string joined;
  for (const std::string& piece : t) joined += piece;
  const std::string& first = t.front();
  auto has = [&](std::string_view word) { return std::find(t.begin(), t.end(), word) != t.end(); };

  // Counts of a detector's electronics, not of photons of a line.
  for (const std::string& piece : t)
    if (one_of(piece, {"icr", "ocr", "dt", "dtfactor", "deadtime", "livetime", "realtime",
                       "outputcounts", "inputcounts", "gain", "slow", "fast"}) ||
        piece.starts_with("ifslow") || piece.starts_with("iffast") || piece.ends_with("gain"))
      return r;

  if (joined.starts_with("norm") || joined.starts_with("flat") ||
      joined.find("norm") != std::string::npos) {
    r.role = Role::normalised;
  } else if (one_of(joined, {"murefer", "muref", "mureference", "mustd", "mu12", "mu23",
                             "mutransref", "mureftrans"}) ||
             (first == "mu" && (has("ref") || has("refer") || has("std")))) {
    r.role = Role::reference;
  } else if (one_of(joined, {"mu", "xmu", "mutrans", "mufluor", "mufl", "mufluo", "absorption",
                             "muabs", "mu01", "mutr", "mue", "mux"})) {
    r.role = Role::absorption;
  } else if (first == "angle" || one_of(joined, {"theta", "monoangle", "braggangle"})) {
    r.role = Role::angle;
  } else if (one_of(joined, {"e", "en", "ener", "ev"}) ||
             joined.find("energy") != std::string::npos) {
    if (joined.find("edge") != std::string::npos || joined.find("ring") != std::string::npos)
      return r;
    r.role = Role::energy;
    r.rank = joined.find("request") != std::string::npos || has("sp") || has("setpoint") ||
                     has("drive")
                 ? 1
                 : 0;
  } else if (has("time") || first.starts_with("time") ||
             one_of(joined, {"sec", "secs", "seconds", "counttime", "tscaler", "dwell",
                             "acqdwellmsec", "htime", "realtimeclock"})) {
    r.role = Role::time;
  } else if (one_of(first, {"i0", "io", "imon", "mon", "monitor", "izero"}) || has("i0")) {
    r.role = Role::i0;
  } else if (one_of(first, {"i1", "it", "itrans", "itr", "ion1", "trans", "transmission"})) {
    r.role = Role::i1;
  } else if (one_of(first, {"i2", "iref", "ir", "irefer", "ion2", "i3", "iref32"})) {
    r.role = Role::reference_i;
  } else {
    std::string line;
    const std::string element = line_element(t, &line);
    const bool sum = has("sum") || has("total") || has("tot") || first == "sum";
    if (!element.empty()) {
      r.role = Role::fluorescence;
      r.element = element;
      r.rank = sum ? 0 : 1;
      r.group = element + " " + line;
    } else if (one_of(first, {"if", "ifl", "iff", "ifluor", "fluo", "fluor", "fl", "ify", "lytle",
                              "pips"}) ||
               has("tey") || has("tfy") || has("pfy") || has("fy")) {
      r.role = Role::fluorescence;
      r.rank = 0;
      r.group = first;
    } else if (first.starts_with("fla")) {
      // "flatot", the total of a detector, and its elements "fla01", "fla02".
      r.role = Role::fluorescence;
      r.rank = first.find("tot") != std::string::npos ? 0 : 1;
      r.group = "fla";
    } else {
      // A numbered element of a detector: "Ifch1", "ROI3", "SCA1.31", "xmap_roi00".
      for (const std::string& piece : t)
        if (piece.starts_with("roi") || (&piece == &first && (first.starts_with("if") ||
                                                              first.starts_with("sca")))) {
          r.role = Role::fluorescence;
          r.rank = 1;
          r.group = without_digits(piece);
          break;
        }
    }
  }
  return r;
}

const std::vector<KnownNames>& known_column_names() {
  static const std::vector<KnownNames> kNames = {
      {"energy", "energy e en ener, names holding energy (Mono Energy, ZapEnergy)"},
      {"angle", "angle(c) angle(o) theta: with the crystal's spacing D"},
      {"I0", "i0 io imon mon monitor, and names holding I0 (I0_EH1, PreKB-I0)"},
      {"I1", "i1 it itrans ion1"},
      {"fluorescence", "if ifl iff ifluor fluo lytle, lines (FeKa, Sum_Fe_Ka), ROI1"},
      {"absorption", "mu xmu mutrans mufluor absorption"},
      {"reference", "irefer iref ir i2 ion2 murefer mu_ref: never the sample"},
  };
  return kNames;
}

}  // namespace xas
