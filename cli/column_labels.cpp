#include "cli/column_labels.h"

#include <charconv>

#include "common/characters.h"
#include "common/freeform_read.h"
#include "common/text_lines.h"
#include "driver/request.h"

namespace xas {

namespace {

bool starts_with_lower(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (lower(text[i]) != prefix[i]) return false;
  return true;
}

std::string_view skip_blanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && is_blank(text[i])) ++i;
  return text.substr(i);
}

// A comment or header line without its leading "#" characters and blanks.
std::string_view content(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == '#' || is_blank(line[i]))) ++i;
  return line.substr(i);
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && is_blank(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !is_blank(text[i])) ++i;
    if (i > start) out.emplace_back(text.substr(start, i - start));
  }
  return out;
}

// The version line that opens every XDI file: "# XDI/1.0 ..." or "#XDI/1.1".
bool is_xdi_version_line(std::string_view line) {
  return !line.empty() && line[0] == '#' && skip_blanks(line.substr(1)).starts_with("XDI/");
}

// The field-end ("///") and header-end ("---") lines: no XDI field follows.
bool ends_xdi_fields(std::string_view text) {
  return text.starts_with("///") || text.starts_with("---");
}

// "Column.N: name [units]" (any case): stores name as the label of column N.
void take_xdi_column(std::string_view text, std::vector<std::string>* labels) {
  if (!starts_with_lower(text, "column.")) return;
  text.remove_prefix(7);
  int n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || n < 1 || n > 4096) return;
  text = skip_blanks(text.substr(static_cast<std::size_t>(end - text.data())));
  if (text.empty() || text[0] != ':') return;
  std::vector<std::string> value = words(text.substr(1));
  if (value.empty()) return;
  if (labels->size() < static_cast<std::size_t>(n)) labels->resize(n);
  std::string& label = (*labels)[n - 1];
  if (label.empty()) label = value[0];  // a repeated field does not replace the first
}

}  // namespace

FileHead scan_head(std::string_view file_text) {
  FileHead head;
  TextLines lines(file_text);
  std::string_view line;
  bool xdi_fields = false;
  std::vector<std::string> xdi_labels;
  std::string header;  // the last comment or header line with any text
  while (lines.next(&line)) {
    if (lines.number() == 1) xdi_fields = is_xdi_version_line(line);
    if (!line.empty() && line[0] == '#') {
      std::string_view text = content(line);
      if (xdi_fields) {
        if (ends_xdi_fields(text))
          xdi_fields = false;
        else
          take_xdi_column(text, &xdi_labels);
      }
      if (!text.empty()) header.assign(text);
      continue;
    }
    // Every number a line holds: no line holds more items than it has
    // characters, plus one.
    LineValues values = count_values(line, static_cast<int>(line.size()) + 1);
    if (values.numbers == 0) {
      std::string_view text = content(line);
      if (!text.empty()) header.assign(text);
      continue;
    }
    head.numbers = values.items < kWideMaxColumns ? values.items : kWideMaxColumns;
    if (!xdi_labels.empty()) {
      head.labels = std::move(xdi_labels);
    } else {
      std::vector<std::string> names = words(header);
      if (names.size() == static_cast<std::size_t>(values.items)) head.labels = std::move(names);
    }
    break;
  }
  return head;
}

}  // namespace xas
