#include "cli/formats/readers.h"

#include <charconv>
#include <cstdlib>
#include <map>
#include <string>

#include "cli/formats/text.h"
#include "common/characters.h"

namespace xas::formats {

namespace {

// The lines before the table, last first, as the readers look back from it.
template <typename Visit>
void header_lines(const Table& t, Visit visit) {
  const long end = t.first > 0 ? t.first - 1 : static_cast<long>(t.lines.size());
  for (long i = 0; i < end; ++i) visit(i + 1, t.lines[static_cast<std::size_t>(i)]);
}

// A whole number at the start of text; -1 when there is none.
int leading_number(std::string_view text, std::size_t* used) {
  int n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || n < 0) return -1;
  *used = static_cast<std::size_t>(end - text.data());
  return n;
}

std::string trimmed(std::string_view text) {
  std::size_t a = 0, b = text.size();
  while (a < b && is_blank(text[a])) ++a;
  while (b > a && is_blank(text[b - 1])) --b;
  return std::string(text.substr(a, b - a));
}

// A name without the marks some formats add after it: " *" (a motor that
// moves), trailing blanks.
std::string clean_name(std::string_view text) {
  std::string name = trimmed(text);
  while (!name.empty() && (name.back() == '*' || is_blank(name.back()))) name.pop_back();
  return name;
}

// "1_Energy (keV) 2_sec 3_mononrg" or "1) a 2) b": names numbered 1, 2, ...
std::vector<std::string> numbered_tokens(std::string_view text, int numbers) {
  std::vector<std::string> names;
  std::size_t at = 0;
  for (int n = 1; n <= numbers; ++n) {
    const std::string mark = std::to_string(n);
    // The mark stands at the start or after a blank, and is followed by "_" or ")".
    std::size_t found = std::string_view::npos;
    for (std::size_t i = at; i + mark.size() < text.size(); ++i) {
      if ((i > 0 && !is_blank(text[i - 1])) || text.compare(i, mark.size(), mark) != 0) continue;
      const char after = text[i + mark.size()];
      if (after == '_' || after == ')') {
        found = i;
        break;
      }
    }
    if (found == std::string_view::npos) return {};
    if (n > 1) names.back() = clean_name(text.substr(at, found - at));
    at = found + mark.size() + 1;
    names.emplace_back();
  }
  if (names.empty()) return {};
  names.back() = clean_name(text.substr(at));
  for (const std::string& name : names)
    if (name.empty()) return {};
  return names;
}

}  // namespace

std::vector<std::string> split_names(std::string_view text, int numbers) {
  if (numbers <= 0) return {};
  std::vector<std::string> names = numbered_tokens(text, numbers);
  if (!names.empty()) return names;
  names = wide_words(text);
  for (std::string& name : names) name = clean_name(name);
  if (static_cast<int>(names.size()) == numbers) return names;
  names = words(text);
  if (static_cast<int>(names.size()) == numbers) return names;
  return {};
}

// --- XDI -----------------------------------------------------------------------

bool read_xdi(const Table& t, TableHead* head) {
  if (t.lines.empty() || !t.lines[0].starts_with("#") ||
      !content(t.lines[0]).starts_with("XDI/"))
    return false;
  head->format = "XDI";
  bool fields = true;
  header_lines(t, [&](long, std::string_view line) {
    if (!is_comment(line) || !fields) return;
    const std::string_view text = content(line);
    if (text.starts_with("///") || text.starts_with("---")) {
      fields = false;
      return;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return;
    const std::string field = lowered(text.substr(0, colon));
    const std::string_view value = text.substr(colon + 1);
    if (field.starts_with("column.")) {
      std::size_t used = 0;
      const int n = leading_number(std::string_view(field).substr(7), &used);
      const std::vector<std::string> value_words = words(value);
      if (n < 1 || n > 4096 || used + 7 != field.size() || value_words.empty()) return;
      if (head->names.size() < static_cast<std::size_t>(n)) head->names.resize(n);
      // A repeated field does not replace the first.
      if (head->names[n - 1].empty()) head->names[n - 1] = value_words[0];
    } else if (field == "element.symbol" || field.ends_with(".element")) {
      const std::vector<std::string> value_words = words(value);
      if (!value_words.empty() && head->element.empty()) head->element = value_words[0];
    } else if (field == "element.edge") {
      const std::vector<std::string> value_words = words(value);
      if (!value_words.empty() && head->edge.empty()) head->edge = value_words[0];
    } else if (field == "mono.d_spacing") {
      const double d = std::strtod(std::string(value).c_str(), nullptr);
      if (d > 0.0 && d < 1000.0) head->mono_spacing = d;
    }
  });
  return true;
}

// --- spec files ----------------------------------------------------------------

bool read_spec(const Table& t, TableHead* head) {
  std::string_view names;
  bool scan = false;
  header_lines(t, [&](long, std::string_view line) {
    if (line.starts_with("#S ")) scan = true;
    if (line.starts_with("#L ")) names = line.substr(3);
  });
  if (!scan || names.empty()) return false;
  head->format = "spec";
  head->names = split_names(names, t.numbers);
  // A file of several scans: this table ends where the next scan begins.
  for (std::size_t i = static_cast<std::size_t>(t.first); i < t.lines.size(); ++i)
    if (t.lines[i].starts_with("#S ")) {
      head->last_line = static_cast<long>(i);
      break;
    }
  return true;
}

// --- Epics scan files ------------------------------------------------------------

bool read_epics(const Table& t, TableHead* head) {
  std::map<std::string, std::string> named;  // "D1" -> "I0"
  std::vector<std::string> order;            // the label line: "P1 P2 D1 ..."
  header_lines(t, [&](long, std::string_view line) {
    if (!line.starts_with(";")) return;
    const std::string_view text = content(line);
    const std::size_t eq = text.find(" = {");
    if (eq != std::string_view::npos && (text[0] == 'P' || text[0] == 'D')) {
      const std::size_t close = text.find('}', eq);
      if (close != std::string_view::npos)
        named[trimmed(text.substr(0, eq))] = trimmed(text.substr(eq + 4, close - eq - 4));
      return;
    }
    const std::vector<std::string> labels = words(text);
    bool all = !labels.empty();
    for (const std::string& label : labels)
      all = all && label.size() >= 2 && (label[0] == 'P' || label[0] == 'D') && is_digit(label[1]);
    if (all) order = labels;
  });
  if (named.empty() || order.empty()) return false;
  head->format = "Epics scan";
  for (const std::string& label : order) {
    const auto it = named.find(label);
    head->names.push_back(it == named.end() ? std::string() : it->second);
  }
  return true;
}

// --- CLS -----------------------------------------------------------------------

bool read_cls(const Table& t, TableHead* head) {
  std::vector<std::vector<std::string>> lists;
  header_lines(t, [&](long, std::string_view line) {
    if (!line.starts_with("#(1)")) return;
    std::vector<std::string> quoted;
    for (std::size_t at = line.find('"'); at != std::string_view::npos;) {
      const std::size_t end = line.find('"', at + 1);
      if (end == std::string_view::npos) break;
      quoted.emplace_back(line.substr(at + 1, end - at - 1));
      at = line.find('"', end + 1);
    }
    lists.push_back(quoted);
  });
  if (lists.empty()) return false;
  head->format = "CLS";
  // The names of the table's columns: the first list as long as the table.
  for (const std::vector<std::string>& list : lists)
    if (static_cast<int>(list.size()) == t.numbers) {
      head->names = list;
      break;
    }
  return true;
}

// --- KEK-PF --------------------------------------------------------------------

bool read_kek(const Table& t, TableHead* head) {
  double spacing = 0.0;
  bool kek = false;
  std::vector<std::string> names;
  std::vector<std::string> modes;
  header_lines(t, [&](long, std::string_view line) {
    if (line.find("KEK-PF") != std::string_view::npos) kek = true;
    const std::string_view text = content(line);
    const std::size_t d = text.find("D=");
    if (text.starts_with("Mono") && d != std::string_view::npos) {
      const std::string_view rest = text.substr(d + 2);
      std::size_t i = 0;
      while (i < rest.size() && is_blank(rest[i])) ++i;
      spacing = std::strtod(std::string(rest.substr(i)).c_str(), nullptr);
    }
    const std::vector<std::string> w = words(text);
    if (!w.empty() && starts_with_lower(w[0], "angle(")) names = w;
    if (!w.empty() && w[0] == "Mode") modes.assign(w.begin() + 1, w.end());
  });
  if (!kek && !(spacing > 0.0 && !names.empty())) return false;
  head->format = "KEK-PF";
  head->dspacing = spacing;
  if (static_cast<int>(names.size()) == t.numbers) head->names = names;
  // The modes stand under the columns after the first: 1 I0, 2 I1, 3 fluorescence.
  head->counters.assign(static_cast<std::size_t>(t.numbers), '\0');
  for (std::size_t i = 0; i < modes.size() && i + 1 < head->counters.size(); ++i) {
    const char code = modes[i] == "1" ? 'i' : modes[i] == "2" ? 't' : modes[i] == "3" ? 'f' : '\0';
    head->counters[i + 1] = code;
  }
  return true;
}

// --- SSRL ----------------------------------------------------------------------

bool read_ssrl(const Table& t, TableHead* head) {
  long data = 0;
  std::vector<std::string> names;
  header_lines(t, [&](long number, std::string_view line) {
    const std::string text = trimmed(line);
    if (text == "Data:") {
      data = number;
      names.clear();
    } else if (data > 0 && number > data) {
      if (text.empty())
        data = -1;  // the names end at a blank line
      else
        names.push_back(text);
    }
  });
  if (names.empty()) return false;
  head->format = "SSRL";
  if (static_cast<int>(names.size()) == t.numbers) head->names = names;
  return true;
}

// --- A list of "N) name" lines ------------------------------------------------

namespace {

// The "N) name" items of a line: one, or several side by side.
void numbered_items(std::string_view text, std::vector<std::string>* names) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t used = 0;
    const int n = leading_number(text.substr(at), &used);
    if (n < 1 || n > 4096 || at + used >= text.size() || text[at + used] != ')') return;
    // The name runs to the next item: a number and ")" after two blanks.
    std::size_t end = at + used + 1, next = text.size();
    for (std::size_t i = end; i + 2 < text.size(); ++i) {
      if (!(text[i] == ' ' && text[i + 1] == ' ')) continue;
      std::size_t j = i;
      while (j < text.size() && is_blank(text[j])) ++j;
      std::size_t digits = 0;
      if (leading_number(text.substr(j), &digits) > 0 && j + digits < text.size() &&
          text[j + digits] == ')') {
        next = j;
        break;
      }
    }
    if (names->size() < static_cast<std::size_t>(n)) names->resize(static_cast<std::size_t>(n));
    (*names)[static_cast<std::size_t>(n) - 1] = clean_name(text.substr(end, next - end));
    at = next;
  }
}

}  // namespace

bool read_numbered(const Table& t, TableHead* head) {
  std::vector<std::string> names;
  header_lines(t, [&](long, std::string_view line) { numbered_items(content(line), &names); });
  if (static_cast<int>(names.size()) != t.numbers || t.numbers < 2) return false;
  head->format = "numbered names";
  head->names = names;
  return true;
}

// --- Names in fixed-width fields under "Column Headings:" ------------------------

bool read_fixed_width(const Table& t, TableHead* head) {
  std::string_view fields;
  bool next = false;
  header_lines(t, [&](long, std::string_view line) {
    if (next) fields = line.substr(line.empty() || !is_comment(line) ? 0 : 1);
    next = content(line) == "Column Headings:";
  });
  if (content(fields).empty() || t.numbers < 2) return false;
  // Fields of one width: the line's length shared out, or the 21 columns
  // such files use when the line's last blanks are cut.
  const std::size_t numbers = static_cast<std::size_t>(t.numbers);
  std::size_t width = fields.size() % numbers == 0 ? fields.size() / numbers : 21;
  if ((fields.size() + width - 1) / width != numbers) return false;
  std::vector<std::string> names;
  for (std::size_t at = 0; at < fields.size(); at += width)
    names.push_back(clean_name(fields.substr(at, width)));
  if (static_cast<int>(names.size()) != t.numbers) return false;
  head->format = "fixed-width names";
  head->names = names;
  return true;
}

// --- A plain table -------------------------------------------------------------

bool read_plain(const Table& t, TableHead* head) {
  head->format = "table";
  std::string_view last;
  header_lines(t, [&](long, std::string_view line) {
    const std::string_view text = content(line);
    if (text.empty() || numeric_items(text) >= 0) return;
    // A line of dashes or equals signs separates; it names nothing.
    if (text.find_first_not_of("-=_*~+ ") == std::string_view::npos) return;
    last = text;
  });
  head->names = split_names(last, t.numbers);
  return true;
}

}  // namespace xas::formats
