// Makes a directory the current one for the life of the object.
//
// Defined in the header: with the calls out of line, GCC 12 inlines the
// string joins of naming_test differently and reports a false -Wrestrict.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace xas::test {

class InDirectory {
 public:
  // Throws, and so ends the test, when the directory cannot be entered.
  explicit InDirectory(const std::string& dir) {
    char buf[4096];
    if (getcwd(buf, sizeof buf) == nullptr) throw std::system_error(errno, std::generic_category(), "getcwd");
    old_ = buf;
    if (chdir(dir.c_str()) != 0) throw std::system_error(errno, std::generic_category(), "chdir " + dir);
  }
  // Goes back to the directory that was current before.
  ~InDirectory() {
    if (chdir(old_.c_str()) != 0)
      ADD_FAILURE() << "cannot go back to " << old_ << ": " << std::strerror(errno);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::string old_;
};

}  // namespace xas::test
