#include "driver/driver.h"

#include "common/message_text.h"
#include "common/text_out.h"
#include "common/warnings.h"
#include "driver/answers.h"
#include "driver/avafile.h"
#include "driver/dialogue.h"
#include "driver/reduction.h"
#include "driver/result_files.h"

namespace xas {

DialogueOutcome run_dialogue(AnswerSource& answers, TextOut& screen, const DialogueOptions& options,
                             void (*warn)(const std::vector<std::string>&)) {
  DialogueOutcome outcome;
  Warnings input;  // how the input was read: it may explain a refusal
  std::string err;
  auto refuse = [&] {
    outcome.message = input.refusal(err);
    return outcome;
  };
  banner(screen);
  Request request;
  DataText text;
  Reduction own;
  Reduction& r = options.records != nullptr ? *options.records : own;
  Opened opened = Opened::refused;
  if (!avafile(answers, dialogue_rules(), options.answers_fd, screen, input, &request, &text,
               r.data, &opened, &err)) {
    outcome.specified = opened == Opened::cannot_open;
    return refuse();
  }
  if (!check_points(r.data, quote(request.path), &err) ||
      !ask_plot(answers, screen, &request, &err))
    return refuse();

  ResultOptions results;
  results.directory = options.directory;
  results.threads = options.threads;
  results.device = text.device;
  results.inode = text.inode;
  ResultWriter writer(request, results);
  // Once the reduction stands: its edge report, its warnings, and the files
  // that do not show the transform, written while the transform runs.
  auto stands = [&](const Reduction& reduction) {
    screen.lines(reduction.screen_edge);
    outcome.warnings = input.take();
    outcome.warnings.insert(outcome.warnings.end(), reduction.warnings.begin(),
                            reduction.warnings.end());
    if (warn != nullptr && !outcome.warnings.empty()) {
      screen.flush();
      warn(outcome.warnings);
    }
    std::string ignored;  // finish() gives the failure in its turn
    writer.start(reduction, &ignored);
  };
  ReductionSettings settings;
  settings.threads = options.threads;
  settings.while_transforming = stands;
  if (!reduce(settings, r, &err)) {
    screen.lines(r.screen_edge);
    return refuse();
  }
  if (!writer.finish(r, std::string(), screen, &err)) {
    outcome.message = err;
    return outcome;
  }
  outcome.e0 = r.e0_ev();
  outcome.status = 0;
  return outcome;
}

}  // namespace xas
