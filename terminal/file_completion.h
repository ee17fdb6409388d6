// File-name completion for an answer being typed. The answer to the file
// question is the whole line, read literally, so the whole text before the
// cursor is the path being completed: blanks belong to the name, nothing is
// quoted and "~" is not expanded, exactly as the program will open it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xas {

struct FileCompletion {
  std::string insert;                // text to add at the cursor ("/" ends a directory)
  std::vector<std::string> choices;  // with more than one match: the names, sorted
};

// Completes `typed` against the entries of its directory (the current one when
// it holds no "/"). Names starting with "." are offered only when the typed
// name starts with "."; "." and ".." never.
FileCompletion complete_file_name(std::string_view typed);

}  // namespace xas
