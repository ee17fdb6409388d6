#include "cli/formats/head.h"

#include <algorithm>

#include "cli/formats/readers.h"
#include "cli/formats/text.h"

namespace xas {

namespace {

using formats::Table;

// The table of a file: the first run of lines that hold as many numbers as
// the longest run does (blank and comment lines between them aside), where a
// run of one line counts only when no run is longer. Header rows of numbers
// (weights, offsets, a table of scan regions) make runs of their own, shorter
// than the data's or of another width.
void find_table(Table* t) {
  struct Run {
    long first = 0;
    long length = 0;
    int numbers = 0;
  };
  std::vector<Run> runs;
  Run current;
  for (std::size_t i = 0; i < t->lines.size(); ++i) {
    const std::string_view line = t->lines[i];
    if (formats::is_comment(line) || formats::content(line).empty()) continue;
    const int n = formats::numeric_items(line);
    if (n > 0 && n == current.numbers) {
      ++current.length;
      continue;
    }
    if (current.length > 0) runs.push_back(current);
    current = n > 0 ? Run{static_cast<long>(i) + 1, 1, n} : Run{};
  }
  if (current.length > 0) runs.push_back(current);
  if (runs.empty()) return;
  // Of runs equally long, the last: the data end a file.
  const Run longest = *std::max_element(
      runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.length <= b.length; });
  for (const Run& run : runs)
    if (run.numbers == longest.numbers && (run.length > 1 || longest.length == 1)) {
      t->first = run.first;
      t->numbers = run.numbers;
      return;
    }
}

// What the first bytes tell of a file that is no table of text.
std::string binary_kind(std::string_view text) {
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0x1f &&
      static_cast<unsigned char>(text[1]) == 0x8b)
    return "is compressed (gzip): give it decompressed, for example as <(zcat FILE)";
  if (text.substr(0, 4096).find('\0') != std::string_view::npos)
    return "is not a text file (it holds NUL bytes)";
  return std::string();
}

// Files of other programs that hold no measured spectrum.
std::string other_program(const Table& t) {
  const std::size_t head = std::min<std::size_t>(t.lines.size(), 40);
  bool cards[3] = {false, false, false};
  for (std::size_t i = 0; i < head; ++i) {
    const std::string low = formats::lowered(t.lines[i]);
    if (low.find("project file") != std::string::npos)
      return "is a project file of an XAS program, not a table of numbers: export its spectra as"
             " column files";
    const std::string_view text = formats::content(t.lines[i]);
    const std::string word = text.substr(0, text.find_first_of(" \t")).empty()
                                 ? std::string()
                                 : formats::lowered(text.substr(0, text.find_first_of(" \t")));
    if (word == "potentials") cards[0] = true;
    if (word == "atoms") cards[1] = true;
    if (word == "title") cards[2] = true;
  }
  if (cards[0] && cards[1])
    return "is the input of a scattering calculation (its POTENTIALS and ATOMS cards), not a"
           " measured spectrum";
  return std::string();
}

// A table of chi(k) is the result of a reduction, not its input.
std::string chi_table(const TableHead& head) {
  bool k = false, chi = false;
  for (const std::string& name : head.names) {
    const std::string low = formats::lowered(name);
    k = k || low == "k" || low == "k(1/ang)" || low == "wavenumber";
    chi = chi || low == "chi" || low.starts_with("chi(") || low == "chik" || low == "chi_k";
  }
  if (!(k && chi)) return std::string();
  return "holds chi(k), not an absorption spectrum: its columns are named k and chi, the result"
         " of a reduction";
}

}  // namespace

TableHead read_head(std::string_view text) {
  TableHead head;
  head.not_a_spectrum = binary_kind(text);
  if (!head.not_a_spectrum.empty()) return head;
  Table table;
  table.lines = formats::split_lines(text);
  find_table(&table);
  head.first_line = table.first;
  head.numbers = table.numbers;
  head.not_a_spectrum = other_program(table);
  if (!head.not_a_spectrum.empty()) return head;
  static const formats::Reader kReaders[] = {
      formats::read_xdi,  formats::read_spec, formats::read_epics,   formats::read_cls,
      formats::read_kek,  formats::read_ssrl, formats::read_numbered, formats::read_fixed_width,
      formats::read_plain,
  };
  for (formats::Reader reader : kReaders)
    if (reader(table, &head)) break;
  head.not_a_spectrum = chi_table(head);
  return head;
}

}  // namespace xas
