// The driver: one reduction of a spectrum, from the banner to the committed
// result set, for the dialogue and for each file of the command line.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/avafile.h"

namespace xas {

class AnswerSource;
class TextOut;

// How a reduction runs beyond its answers.
struct RunOptions {
  std::string directory;     // where the results go ("": the current directory)
  std::string base;          // the result base name ("": derived from the data file's name)
  ReadingRules reading;      // the dialogue's rules, or the command line's
  int threads = 0;           // threads of the transform (0: one per core)
  bool log = false;          // the screen is also a result file: BASE.log
  // Called with the warnings once the run is known to stand, before its
  // result files are written.
  std::function<void(const std::vector<std::string>&)> on_warnings;
};

// What a reduction gives besides its files: the values of its report and
// what a picture of it needs.
struct Outcome {
  int status = 2;        // 0 reduced and committed; 2 refused or failed
  std::string message;   // the refusal or the failure, one line (answers: two)
  std::vector<std::string> warnings;
  std::string base;      // the result base name
  std::string data_name; // the data file's name as the results show it
  int points = 0;
  float e0 = 0, slope = 0, jump = 0, ewl = 0, hwl = 0;  // as the screen report prints them
  bool averaged = false;  // an average noise was found
  float noise = 0;
  float pre_end = 0, fit_start = 0;  // eV: last pre-edge point, first fitted point
  float kmin = 0, kmax = 0, dk = 0, wh = 0;
};

// Holds the records of one reduction and reuses them for the next: every run
// starts from records that are zero, as the first one does.
class Reducer {
 public:
  Reducer();
  ~Reducer();
  Reducer(const Reducer&) = delete;
  Reducer& operator=(const Reducer&) = delete;

  // Runs the dialogue (its questions answered by `answers`) and every stage,
  // writing the screen to `screen` and the result set into the directory.
  // Returns the exit status, also in outcome.status.
  int run(AnswerSource& answers, TextOut& screen, const RunOptions& options, Outcome& outcome);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace xas
