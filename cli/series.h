// A series: every FILE of a call reduced without a question, several at
// once, each into its own result set in the result directory, with the
// summary written as the files come to an end, in the order given.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/pictures.h"
#include "cli/summary.h"
#include "driver/result_files.h"

namespace xas {

// One FILE of the call.
struct Job {
  std::string path;
  std::string base;   // its result base name
  bool known = false; // its identity below is known (the file exists)
  dev_t device = 0;
  ino_t inode = 0;
  FileOutcome outcome;
  // Its result files, when reduced, and what its picture shows.
  std::string gabs, gexa, gfou;
  PictureValues values;
  std::unique_ptr<ResultWriter> pending;  // its result set, written and waiting for its commit
  bool done = false;
  // For --merge: its points as reduced (eV, aligned); the merge's own job
  // points to itself.
  std::vector<float> energy, mu;
  const Job* merged = nullptr;
};

// The result base names of the call's files: the dialogue's, except that
// different files of one call never share one (they keep their whole file
// name, then their path with "/" as "_", then a number is added), and no
// result name of one falls on another FILE of the call. The same file given
// twice is reduced once: the later ones are refused.
void choose_bases(const std::string& directory, const std::vector<std::string>& extra_extensions,
                  std::vector<Job>& jobs);

// Reduces every job and writes the summary to standard output (and each
// refusal and warning to the error stream) in the order of the jobs; with
// --merge, then the merge of them as one more job, `merged`, whose path is
// its result base name.
// Returns false when standard output could not be written.
bool run_series(const Options& options, std::vector<Job>& jobs, Job* merged, std::string* err);

}  // namespace xas
