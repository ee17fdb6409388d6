// Runs the program as a user would: in a directory, with answers on standard
// input, capturing the screen, the error stream and the exit status.
#pragma once

#include <memory>
#include <string>

#include "driver/run.h"

namespace xas::test {

struct ProgramResult {
  int status = -1;  // exit status; -1 if the process did not exit normally
  std::string out;
  std::string err;
};

// Runs the built program in directory `cwd` with `input` on standard input.
ProgramResult run_program(const std::string& cwd, const std::string& input);

// The answers of a run on a two-column data file: its name, the number of
// columns and the plot choice (1 asks for every result file).
std::string answers(const std::string& data_file, const std::string& plot = "1");

// A run state whose standard input is `input` and whose screen and error
// stream are kept in memory, for testing one stage at a time.
class TestRun {
 public:
  explicit TestRun(const std::string& input = "");
  ~TestRun();
  Run& run() { return *run_; }
  Run* operator->() { return run_.get(); }
  std::string screen();  // what has been printed so far
  std::string errors();

 private:
  std::string input_;
  std::FILE* in_ = nullptr;
  std::FILE* out_ = nullptr;
  std::FILE* err_ = nullptr;
  char* out_buf_ = nullptr;
  char* err_buf_ = nullptr;
  std::size_t out_len_ = 0, err_len_ = 0;
  std::unique_ptr<Run> run_;
};

// Path of a file under examples/ or tests/data/.
std::string example(const std::string& name);
std::string testdata(const std::string& name);

}  // namespace xas::test
