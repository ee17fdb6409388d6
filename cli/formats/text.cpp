#include "cli/formats/text.h"

#include "common/characters.h"
#include "common/freeform_read.h"
#include "common/text_lines.h"

namespace xas::formats {

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  TextLines reader(text);
  std::string_view line;
  while (reader.next(&line)) lines.push_back(line);
  return lines;
}

bool is_comment(std::string_view line) {
  return !line.empty() && (line[0] == '#' || line[0] == ';' || line[0] == '!' || line[0] == '%');
}

std::string_view content(std::string_view line) {
  std::size_t i = 0;
  while (i < line.size() && (is_comment(line.substr(i, 1)) || is_blank(line[i]))) ++i;
  std::size_t end = line.size();
  while (end > i && is_blank(line[end - 1])) --end;
  return line.substr(i, end - i);
}

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && is_blank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !is_blank(text[i])) ++i;
    if (i > start) out.emplace_back(text.substr(start, i - start));
  }
  return out;
}

std::vector<std::string> wide_words(std::string_view text) {
  std::vector<std::string> out;
  std::string word;
  std::size_t i = 0;
  while (i < text.size()) {
    const bool tab = text[i] == '\t';
    const bool gap = text[i] == ' ' && i + 1 < text.size() && is_blank(text[i + 1]);
    if (tab || gap) {
      if (!word.empty()) out.push_back(word);
      word.clear();
      while (i < text.size() && is_blank(text[i])) ++i;
      continue;
    }
    word += text[i++];
  }
  while (!word.empty() && word.back() == ' ') word.pop_back();
  if (!word.empty()) out.push_back(word);
  return out;
}

int numeric_items(std::string_view line) {
  int items = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (is_blank(line[i]) || line[i] == ',' || line[i] == ';')) ++i;
    const std::size_t start = i;
    while (i < line.size() && !(is_blank(line[i]) || line[i] == ',' || line[i] == ';')) ++i;
    if (i == start) continue;
    double value = 0.0;
    if (!parse_real(line.substr(start, i - start), &value)) return -1;
    ++items;
  }
  return items;
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = lower(c);
  return out;
}

bool starts_with_lower(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (lower(text[i]) != lower(prefix[i])) return false;
  return true;
}

}  // namespace xas::formats
