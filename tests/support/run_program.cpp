#include "support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "support/scratch_dir.h"

namespace xas::test {

ProgramResult run_program(const std::string& cwd, const std::string& input) {
  ScratchDir io;
  io.write("stdin", input);
  const std::string in = io.file("stdin"), out = io.file("stdout"), err = io.file("stderr");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int fd_in = ::open(in.c_str(), O_RDONLY);
    int fd_out = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int fd_err = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd_in < 0 || fd_out < 0 || fd_err < 0 || ::chdir(cwd.c_str()) != 0) _exit(127);
    dup2(fd_in, 0);
    dup2(fd_out, 1);
    dup2(fd_err, 2);
    execl(XAS_BINARY, XAS_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  ProgramResult result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.out = read_file(out);
  result.err = read_file(err);
  return result;
}

TestRun::TestRun(const std::string& input) : input_(input) {
  in_ = input_.empty() ? std::fopen("/dev/null", "r")
                       : fmemopen(input_.data(), input_.size(), "r");
  out_ = open_memstream(&out_buf_, &out_len_);
  err_ = open_memstream(&err_buf_, &err_len_);
  run_ = std::make_unique<Run>(in_, out_, err_);
}

TestRun::~TestRun() {
  run_.reset();
  std::fclose(in_);
  std::fclose(out_);
  std::fclose(err_);
  std::free(out_buf_);
  std::free(err_buf_);
}

std::string TestRun::screen() {
  std::fflush(out_);
  return std::string(out_buf_, out_len_);
}

std::string TestRun::errors() {
  std::fflush(err_);
  return std::string(err_buf_, err_len_);
}

std::string answers(const std::string& data_file, const std::string& plot) {
  return data_file + "\n2\n" + plot + "\n";
}

std::string example(const std::string& name) { return std::string(XAS_EXAMPLES) + "/" + name; }
std::string testdata(const std::string& name) { return std::string(XAS_TESTDATA) + "/" + name; }

}  // namespace xas::test
