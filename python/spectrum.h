// One reduced spectrum as the Python module holds it: what it was reduced
// from (enough to reduce it again, so that it can be pickled and sent to
// another process), the values of its summary row, and the records of its
// reduction with the curves computed from them. Nothing here knows Python:
// the bindings wrap it.
#pragma once

#include <sys/types.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/summary.h"
#include "driver/reduction.h"
#include "driver/request.h"
#include "output/curves.h"
#include "output/xdi_files.h"

namespace xas::module {

// A spectrum that cannot be reduced: the program's message, the file, and
// the channel when one was chosen before the refusal.
struct Refusal : std::runtime_error {
  Refusal(const std::string& message, const std::string& path, const std::string& channel = "")
      : std::runtime_error(message), path(path), channel(channel) {}
  std::string path;
  std::string channel;
};

// Options given by the caller that cannot be taken (a value out of range, a
// pair that contradicts itself): the message names them as the caller wrote
// them.
struct BadOption : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

// A result set that could not be written.
struct WriteFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The caller's options by keyword and value, as text: "kmin" -> "3".
using Keywords = std::vector<std::pair<std::string, std::string>>;

// The options of the keywords; throws BadOption.
Options keyword_options(const Keywords& keywords);

class Spectrum {
 public:
  // A data file read by the command line's rules.
  static std::shared_ptr<Spectrum> from_file(const std::string& path, const Options& options,
                                             int threads);
  // Energies (eV, or keV as the reader detects) and absorption given as
  // numbers; `name` names it in the results.
  static std::shared_ptr<Spectrum> from_points(const std::string& name,
                                               const std::vector<double>& energy,
                                               const std::vector<double>& absorption,
                                               const Options& options, int threads);
  // The spectrum of a state() text, without its records: they are made
  // again when first asked for. Throws std::invalid_argument for a text that
  // is no state of this version.
  static std::shared_ptr<Spectrum> from_state(const std::string& state);

  // Everything needed to make the spectrum again, as bytes.
  std::string state() const;

  const FileOutcome& outcome() const { return outcome_; }
  bool from_a_file() const { return from_file_; }
  const std::string& name() const { return name_; }
  // The records and curves, reduced again first if they are not held.
  const Reduction& reduction();
  const Curves& curves();

  // Writes the result set as the command line does (BASE.log included),
  // with the TopDrawer scripts and the XDI files when asked; returns the
  // paths written. Throws WriteFailure.
  std::vector<std::string> write(const std::string& directory, bool topdrawer, bool xdi,
                                 const std::string& base);

 private:
  Spectrum() = default;
  // Reduces the input; throws Refusal.
  void reduce_input(int threads);
  // Reduces the records as the options given ask.
  bool reduce_records(Reduction& r, int threads, std::string* err) const;
  // Keeps the records of a reduction that stood, with its outcome and curves.
  void take(std::unique_ptr<Reduction> r);
  template <typename Io>
  void visit_state(Io& io);

  // What it was reduced from.
  bool from_file_ = false;
  std::string name_;       // the path given, or the caller's name
  Request request_;        // itop 0
  std::string screen_;     // the dialogue's screen up to the plot question
  std::string log_note_;   // BASE.log's last line
  XdiHead xdi_;            // the head of its XDI files
  dev_t device_ = 0;       // the data file (0, 0: none)
  ino_t inode_ = 0;
  EdgeRule edge_rule_;
  TransformChoice parameters_;
  std::vector<float> energy_, absorption_;  // as loaded: energies in eV
  std::vector<std::string> input_warnings_;  // of the channel choice and the reading

  FileOutcome outcome_;
  std::unique_ptr<Reduction> reduction_;  // null until reduced
  Curves curves_;
};

// Reduces the files on `jobs` threads at once (0: one per core), each
// spectrum's transform on a share of the cores; each item is the spectrum or
// its refusal, in the order of the paths. Runs without the interpreter.
struct Reduced {
  std::shared_ptr<Spectrum> spectrum;  // null when refused
  std::string refusal;
  std::string channel;  // of the refusal
};
std::vector<Reduced> reduce_files(const std::vector<std::string>& paths, const Options& options,
                                  int jobs);

// The command line's summary table of these outcomes: the header line and a
// row for each, every line ended.
std::string summary_text(const std::vector<FileOutcome>& outcomes);

}  // namespace xas::module
