// The result set of one reduction: the screen from the edge report on, with
// the announcement of each result file in its place, and the files rendered
// from the reduction's records and committed together.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/text_out.h"
#include "driver/reduction.h"
#include "driver/request.h"
#include "output/curves.h"
#include "output/xdi_files.h"

namespace xas {

class ResultSet;

struct ResultOptions {
  std::string directory;  // where the results go ("": the current directory)
  std::string base;       // the result base name ("": derived from the data file's name)
  bool log = false;       // the screen is also a result file: BASE.log
  std::string log_note;   // a line BASE.log ends with, after the screen ("": none)
  int threads = 1;        // threads that render the files
  // The data file, which no result may replace (0, 0: none).
  dev_t device = 0;
  ino_t inode = 0;
  // When given: also the XDI files (BASE_norm.xdi, BASE_chi.xdi, BASE_ft.xdi)
  // with this head.
  std::optional<XdiHead> xdi;
  // More names of the set to check before anything is written (pictures).
  std::vector<std::string> more_names;
  // Called with the set when every file is in its temporary, before the
  // commit: a picture is drawn from the temporaries into the set here.
  std::function<void(ResultSet&, const std::string& base)> before_commit;
};

// The names of the result files of a request with this base, in the order
// a run opens them (BASE.log last when asked for).
std::vector<std::string> result_names(const std::string& base, int itop, bool log);

// Writes the result set of a reduction in two steps, so that the files that
// do not show the transform are written, and synced, while it runs:
// start() from the reduction's while_transforming, finish() once it has
// returned. The screen after the edge report (the result base name, the
// announcements, the signal and noise lines) goes to the screen given to
// finish(), which writes it out before the commit: a screen that cannot be
// written fails the run and nothing is replaced. Messages are one line.
class ResultWriter {
 public:
  ResultWriter(const Request& request, const ResultOptions& options);
  ~ResultWriter();
  ResultWriter(const ResultWriter&) = delete;
  ResultWriter& operator=(const ResultWriter&) = delete;

  // Checks every result name, then writes the files that do not show the
  // transform; every record of the reduction but `fourie` must be final.
  bool start(const Reduction& reduction, std::string* err);
  // The transform's files, the screen, BASE.log (`head` is the screen up
  // to and including the edge report) and the commit. Starts first when
  // start() was not called.
  bool finish(const Reduction& reduction, const std::string& head, TextOut& screen,
              std::string* err);
  // finish() in two: everything but the commit, which needs nothing of the
  // reduction any more (its records may go to the next spectrum), then the
  // commit, from any thread.
  bool prepare(const Reduction& reduction, const std::string& head, TextOut& screen,
               std::string* err);
  bool commit(std::string* err);

 private:
  bool start_xdi(const Reduction& reduction, std::string* err);

  Request request_;
  ResultOptions options_;
  std::string base_;
  std::unique_ptr<ResultSet> results_;
  TextOut tail_;  // the screen after the edge report, as far as it has come
  Curves curves_;  // for the XDI files
  bool started_ = false;
  bool start_failed_ = false;
  std::string start_error_;
};

// Both steps at once, for a reduction that has returned.
bool write_results(const Request& request, const Reduction& reduction, const std::string& head,
                   const ResultOptions& options, TextOut& screen, std::string* err);
}  // namespace xas
