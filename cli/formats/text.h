// The pieces of text the format readers work with: the file's lines, comment
// markers, words, and the lines that hold nothing but numbers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xas::formats {

// The lines of a file's text, numbered from 1 (lines[0] is line 1).
std::vector<std::string_view> split_lines(std::string_view text);

// Whether a line is a comment: it starts with "#", ";", "!" or "%".
bool is_comment(std::string_view line);

// A comment or header line without its leading markers and blanks, and
// without its trailing blanks.
std::string_view content(std::string_view line);

// Words separated by blanks or tabs.
std::vector<std::string> words(std::string_view text);

// Words separated by a tab or by two or more blanks: names that hold single
// blanks ("Mono Energy") stay whole.
std::vector<std::string> wide_words(std::string_view text);

// The numbers of a line that holds nothing else (separated as the data
// reader separates them); -1 when any item is not a number, 0 for a line
// with no item.
int numeric_items(std::string_view line);

// Lower case, ASCII only.
std::string lowered(std::string_view text);

// Whether `text` starts with `prefix`, letter case aside.
bool starts_with_lower(std::string_view text, std::string_view prefix);

}  // namespace xas::formats
