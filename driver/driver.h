// The dialogue's run: the banner, the questions, the data file read and
// loaded, the reduction and its result set, as one spectrum is reduced when
// the program is started without arguments.
#pragma once

#include <string>
#include <vector>

namespace xas {

class AnswerSource;
class TextOut;
struct Reduction;

struct DialogueOptions {
  std::string directory;  // where the results go ("": the current directory)
  int threads = 0;        // threads of the transform (0: one per core)
  int answers_fd = -1;    // the descriptor the answers come from, which is no data file
  // The records to reduce in (null: records of the run's own); records kept
  // from run to run keep their memory, and every run starts from zero.
  Reduction* records = nullptr;
};

// What a run of the dialogue ended with.
struct DialogueOutcome {
  int status = 2;  // 0 reduced and committed; 2 refused or failed
  // The refusal or failure: one line (two for an answer that cannot be
  // read), without the program's name; `specified` when it is the opening
  // failure whose text stands as the program has always written it.
  std::string message;
  bool specified = false;
  std::vector<std::string> warnings;  // results worth a second look
  float e0 = 0.0f;                     // the edge energy reported (eV), once reduced
};

// Runs the dialogue with its answers from `answers`, the screen written to
// `screen`. Warnings are given to `warn` (may be empty) once the reduction
// stands, after the edge report has been written out.
DialogueOutcome run_dialogue(AnswerSource& answers, TextOut& screen, const DialogueOptions& options,
                             void (*warn)(const std::vector<std::string>&) = nullptr);

}  // namespace xas
