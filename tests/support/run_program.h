// Runs the program as a user would: in a directory, with answers on standard
// input, capturing the screen, the error stream and the exit status.
#pragma once

#include <string>
#include <vector>

namespace xas::test {

struct ProgramResult {
  int status = -1;  // exit status; -1 if the process did not exit normally
  std::string out;
  std::string err;
};

// Runs the built program in directory `cwd` with `input` on standard input
// and the arguments `args` (none: the dialogue); `environment` holds
// "NAME=value" settings added to the program's environment.
ProgramResult run_program(const std::string& cwd, const std::string& input,
                          const std::vector<std::string>& args = {},
                          const std::vector<std::string>& environment = {});

// The answers of a run on a two-column data file: its name, the number of
// columns and the plot choice (1 asks for every result file).
std::string answers(const std::string& data_file, const std::string& plot = "1");

// Path of a file under examples/.
std::string example(const std::string& name);

}  // namespace xas::test
