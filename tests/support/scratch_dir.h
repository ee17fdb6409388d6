// A fresh temporary directory for one test, removed with everything in it.
#pragma once

#include <string>
#include <vector>

namespace xas::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes a file in the directory.
  void write(const std::string& name, const std::string& content) const;
  // Reads a file of the directory whole; empty if it does not exist.
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;

 private:
  std::string path_;
};

// Reads a file whole.
std::string read_file(const std::string& path);
// The lines of a text, without their line feeds.
std::vector<std::string> split_lines(const std::string& text);

}  // namespace xas::test
