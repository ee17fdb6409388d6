#include "terminal/file_completion.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace xas {

namespace {

bool is_directory(const std::string& dir, const struct dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
  struct stat st;  // a link counts as what it points to
  std::string path = dir + entry->d_name;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FileCompletion complete_file_name(std::string_view typed) {
  std::size_t slash = typed.rfind('/');
  std::string dir(slash == std::string_view::npos ? "" : typed.substr(0, slash + 1));
  std::string_view prefix = typed.substr(dir.size());

  FileCompletion result;
  DIR* stream = ::opendir(dir.empty() ? "." : dir.c_str());
  if (stream == nullptr) return result;
  std::vector<std::string> matches;
  while (const struct dirent* entry = ::readdir(stream)) {
    std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (name.substr(0, prefix.size()) != prefix) continue;
    if (name[0] == '.' && (prefix.empty() || prefix[0] != '.')) continue;
    matches.emplace_back(name);
    if (is_directory(dir, entry)) matches.back() += '/';
  }
  ::closedir(stream);
  if (matches.empty()) return result;

  std::sort(matches.begin(), matches.end());
  // The longest beginning all matches share (a lone match whole, with its "/").
  std::size_t common = matches.front().size();
  for (const std::string& m : matches) {
    std::size_t i = prefix.size();
    while (i < common && i < m.size() && m[i] == matches.front()[i]) ++i;
    common = i;
  }
  result.insert = matches.front().substr(prefix.size(), common - prefix.size());
  if (matches.size() > 1) result.choices = std::move(matches);
  return result;
}

}  // namespace xas
