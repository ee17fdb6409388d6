#include "support/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "support/scratch_dir.h"

namespace xas::test {

ProgramResult run_program(const std::string& cwd, const std::string& input,
                          const std::vector<std::string>& args,
                          const std::vector<std::string>& environment) {
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
    for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
    std::vector<char*> argv{const_cast<char*>(XAS_BINARY)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(XAS_BINARY, argv.data());
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

std::string answers(const std::string& data_file, const std::string& plot) {
  return data_file + "\n2\n" + plot + "\n";
}

std::string example(const std::string& name) { return std::string(XAS_EXAMPLES) + "/" + name; }

}  // namespace xas::test
