// The error stream: messages written straight to descriptor 2, one at a
// time, so that lines from several threads never mix.
#pragma once

#include <string_view>

namespace xas {

// `text` and a line feed, unless it already ends with one.
void error_line(std::string_view text);

// `text` as it stands (a progress line redrawn in place).
void error_text(std::string_view text);

}  // namespace xas
