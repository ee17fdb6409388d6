// The parts of a path, as text: no file-system call.
#pragma once

#include <string>

namespace xas {

// The file's own name, its directories aside.
inline std::string file_name(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The directory a path names its file in: "." when it names none.
inline std::string directory_of(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A file `name` in `directory` ("" or "." for the current one).
inline std::string path_in(const std::string& directory, const std::string& name) {
  return directory.empty() || directory == "." ? name : directory + "/" + name;
}

}  // namespace xas
