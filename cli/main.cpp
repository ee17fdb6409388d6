// xasreduce: reduces X-ray absorption spectra to their edge parameters,
// EXAFS signal, Fourier transform and noise estimate. With no argument it
// runs the dialogue on one spectrum; with arguments, the command line.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/answers.h"
#include "cli/command_line.h"
#include "driver/driver.h"
#include "common/error_stream.h"
#include "results/temporaries.h"
#include "common/text_out.h"

namespace {

// A closed standard descriptor would be the next one a file opens: a result
// file would then receive the screen. /dev/null takes its place.
void fill_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

int run_dialogue() {
  xas::TextOut screen(1);
  xas::Answers answers(stdin, &screen);
  xas::RunOptions options;
  options.on_warnings = [&screen](const std::vector<std::string>& warnings) {
    screen.flush();
    for (const std::string& text : warnings) xas::error_line("xasreduce: warning: " + text);
  };
  xas::Reducer reducer;
  xas::Outcome outcome;
  const int status = reducer.run(answers, screen, options, outcome);
  if (status != 0) {
    screen.flush();
    xas::error_line(outcome.message);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  fill_standard_descriptors();
  xas::temporaries::install_signal_handlers();
  if (argc > 1) return xas::run_command_line(argc, argv);
  return run_dialogue();
}
