// xasreduce: reduces X-ray absorption spectra to their edge parameters,
// EXAFS signal, Fourier transform and noise estimate. With no argument it
// runs the dialogue on one spectrum; with arguments, the command line.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "common/error_stream.h"
#include "common/text_out.h"
#include "driver/answers.h"
#include "driver/driver.h"
#include "results/temporaries.h"

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

void warn(const std::vector<std::string>& warnings) {
  for (const std::string& text : warnings) xas::error_line("xasreduce: warning: " + text);
}

int run_dialogue() {
  xas::TextOut screen(1);
  xas::Answers answers(stdin, &screen);
  xas::DialogueOptions options;
  options.answers_fd = 0;
  const xas::DialogueOutcome outcome = xas::run_dialogue(answers, screen, options, warn);
  if (outcome.status != 0) {
    screen.flush();
    // The program's name goes in front of every message but the opening
    // failure, whose text stands as the program has always written it.
    xas::error_line(outcome.specified ? outcome.message : "xasreduce: " + outcome.message);
  }
  return outcome.status;
}

}  // namespace

int main(int argc, char** argv) {
  fill_standard_descriptors();
  xas::temporaries::install_signal_handlers();
  if (argc > 1) return xas::run_command_line(argc, argv);
  return run_dialogue();
}
