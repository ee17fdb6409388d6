#include "python/spectrum.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <thread>
#include <type_traits>

#include "cli/reduce_file.h"
#include "common/text_out.h"
#include "driver/avafile.h"
#include "driver/dialogue.h"
#include "driver/naming.h"
#include "driver/result_files.h"
#include "results/files.h"

namespace xas::module {

Options keyword_options(const Keywords& keywords) {
  // The reduction's options only: where results go and how many run at once
  // are the caller's arguments, not options.
  static const char* const kTaken[] = {"columns", "fluorescence", "ncol", "dspacing", "e0",
                                       "kmin",    "kmax",         "kweight", "dk",    "rmax"};
  Options options;
  std::string err;
  for (const auto& [name, value] : keywords) {
    if (std::find_if(std::begin(kTaken), std::end(kTaken),
                     [&](const char* taken) { return name == taken; }) == std::end(kTaken))
      throw BadOption("unknown option '" + name + "'");
    if (!apply_named_option(name, value, name, &options, &err)) throw BadOption(err);
  }
  if (!check_option_pairs(options, true, &err)) throw BadOption(err);
  return options;
}

std::shared_ptr<Spectrum> Spectrum::from_file(const std::string& path, const Options& options,
                                              int threads) {
  std::shared_ptr<Spectrum> s(new Spectrum);
  s->from_file_ = true;
  s->name_ = path;
  s->edge_rule_ = options.e0;
  s->parameters_ = options.parameters;
  auto records = std::make_unique<Reduction>();
  Reduction& r = *records;
  LoadedFile file;
  std::string err;
  if (!load_file(path, options.choice, &file, r.data, &err)) throw Refusal(err, path);
  s->request_ = file.request;
  s->screen_ = file.screen;
  s->log_note_ = file.log_note;
  s->xdi_ = xdi_head(file);
  s->device_ = file.device;
  s->inode_ = file.inode;
  s->energy_ = r.data.energy.values();
  s->absorption_ = r.data.absorption.values();
  s->outcome_.channel = file.channel;
  s->outcome_.path = path;
  if (!s->reduce_records(r, threads, &err)) throw Refusal(file.refusal(err), path, file.channel);
  s->input_warnings_ = file.read_warnings();
  s->take(std::move(records));
  return s;
}

std::shared_ptr<Spectrum> Spectrum::from_points(const std::string& name,
                                                const std::vector<double>& energy,
                                                const std::vector<double>& absorption,
                                                const Options& options, int threads) {
  if (energy.size() != absorption.size())
    throw BadOption("energy and mu differ in length: " + std::to_string(energy.size()) +
                    " and " + std::to_string(absorption.size()) + " values");
  std::shared_ptr<Spectrum> s(new Spectrum);
  s->name_ = name;
  s->edge_rule_ = options.e0;
  s->parameters_ = options.parameters;
  // Single precision, as the reader rounds each number it reads.
  for (double e : energy) s->energy_.push_back(static_cast<float>(e));
  for (double a : absorption) s->absorption_.push_back(static_cast<float>(a));
  LoadedFile file;
  Data data;
  load_points_file(name, s->energy_, s->absorption_, "the absorption given as numbers (Python module)",
                   &file, data);
  s->request_ = file.request;
  s->screen_ = file.screen;
  s->log_note_ = file.log_note;
  s->xdi_.source = name;
  s->xdi_.channel = "the absorption given as numbers";
  s->outcome_.path = name;
  s->outcome_.channel = "mu given";
  s->reduce_input(threads);
  return s;
}

void Spectrum::reduce_input(int threads) {
  auto r = std::make_unique<Reduction>();
  // The points as loaded (the energies in eV), their screen lines kept.
  TextOut screen;
  load_points(request_, energy_, absorption_, screen, r->data);
  std::string err;
  if (!check_points(r->data, "'" + name_ + "'", &err)) throw Refusal(err, name_);
  if (!reduce_records(*r, threads, &err)) throw Refusal(err, name_);
  take(std::move(r));
}

bool Spectrum::reduce_records(Reduction& r, int threads, std::string* err) const {
  ReductionSettings settings;
  settings.threads = threads;
  settings.edge = edge_rule_;
  settings.parameters = parameters_;
  return reduce(settings, r, err);
}

void Spectrum::take(std::unique_ptr<Reduction> r) {
  outcome_.warnings = input_warnings_;
  outcome_.warnings.insert(outcome_.warnings.end(), r->warnings.begin(), r->warnings.end());
  outcome_.notes = r->notes;
  set_report_values(*r, &outcome_);
  curves_ = reduction_curves(r->data, r->edge, r->background, r->normalised, r->exafs, r->ne0,
                             r->params);
  reduction_ = std::move(r);
}

const Reduction& Spectrum::reduction() {
  if (reduction_ == nullptr) reduce_input(0);
  return *reduction_;
}

const Curves& Spectrum::curves() {
  reduction();
  return curves_;
}

std::vector<std::string> Spectrum::write(const std::string& directory, bool topdrawer, bool xdi,
                                         const std::string& base) {
  const Reduction& r = reduction();
  std::string err;
  if (base.find('/') != std::string::npos)
    throw BadOption("base is a name for the result files, without '/': '" + base + "'");
  if (!prepare_directory(directory, &err)) throw WriteFailure(err);
  Request request = request_;
  request.itop = topdrawer ? 1 : 0;
  TextOut head;
  head.lines(screen_);
  show_plot(request, head);
  head.lines(r.screen_edge);
  ResultOptions options;
  options.directory = directory;
  options.base = base.empty() ? base_name(request.name.view()) : base;
  options.log = true;
  options.log_note = log_note_;
  options.threads = 2;
  options.device = device_;
  options.inode = inode_;
  if (xdi) options.xdi = xdi_;
  TextOut screen;  // in memory: BASE.log holds it
  if (!write_results(request, r, head.text(), options, screen, &err)) throw WriteFailure(err);
  std::vector<std::string> paths;
  const std::string dir = directory.empty() || directory == "." ? "" : directory + "/";
  for (const std::string& name : result_names(options.base, request.itop, true))
    paths.push_back(dir + name);
  if (xdi)
    for (const char* suffix : kXdiSuffixes) paths.push_back(dir + options.base + suffix);
  return paths;
}

// --- state ---------------------------------------------------------------------

namespace {

// The state's first bytes: a state of another layout is refused, not misread.
constexpr char kStateTag[] = "xasreduce-spectrum-1";

class Packer {
 public:
  template <typename T>
  void operator()(const T& v) { put(v); }
  template <typename T>
  void put(const T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    text.append(reinterpret_cast<const char*>(&v), sizeof v);
  }
  void put(const std::string& s) {
    put(static_cast<std::uint64_t>(s.size()));
    text += s;
  }
  template <typename T>
  void put(const std::vector<T>& v) {
    put(static_cast<std::uint64_t>(v.size()));
    for (const T& item : v) put(item);
  }
  std::string text;
};

class Unpacker {
 public:
  explicit Unpacker(const std::string& text) : text_(text) {}
  template <typename T>
  void operator()(T& v) { get(v); }
  template <typename T>
  void get(T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    need(sizeof v);
    std::memcpy(&v, text_.data() + at_, sizeof v);
    at_ += sizeof v;
  }
  void get(std::string& s) {
    const std::size_t n = size();
    need(n);
    s.assign(text_, at_, n);
    at_ += n;
  }
  template <typename T>
  void get(std::vector<T>& v) {
    v.resize(size());
    for (T& item : v) get(item);
  }
  bool done() const { return at_ == text_.size(); }

 private:
  std::size_t size() {
    std::uint64_t n = 0;
    get(n);
    if (n > text_.size()) throw std::invalid_argument("a damaged state");
    return static_cast<std::size_t>(n);
  }
  void need(std::size_t n) const {
    if (n > text_.size() - at_) throw std::invalid_argument("a damaged state");
  }
  const std::string& text_;
  std::size_t at_ = 0;
};

}  // namespace

// Every field of the state, in the one order packing and unpacking share.
template <typename Io>
void Spectrum::visit_state(Io& io) {
  Request& r = request_;
  FileOutcome& o = outcome_;
  auto all = [&](auto&... v) { (io(v), ...); };
  all(from_file_, name_, r.path, r.name, r.blank_answer, r.ncol, r.mode, r.energy, r.absorption,
      r.i0, r.i1, r.fluorescence, r.itop, r.first_line, r.last_line, r.dspacing,
      r.more_fluorescence, r.channel, r.ncol_said, screen_, log_note_, xdi_.source, xdi_.channel,
      xdi_.technique, xdi_.element, xdi_.edge, xdi_.dspacing, device_, inode_, edge_rule_,
      parameters_, energy_, absorption_, input_warnings_, o.path, o.channel, o.points, o.e0,
      o.slope, o.jump, o.ewl, o.hwl, o.averaged, o.noise, o.warnings, o.notes);
}

std::string Spectrum::state() const {
  Packer packer;
  packer.text = kStateTag;
  // Packing only reads the fields; the visit is shared with unpacking.
  const_cast<Spectrum*>(this)->visit_state(packer);
  return packer.text;
}

std::shared_ptr<Spectrum> Spectrum::from_state(const std::string& state) {
  const std::size_t tag = std::strlen(kStateTag);
  if (state.compare(0, tag, kStateTag) != 0)
    throw std::invalid_argument("not the state of a spectrum of this version");
  std::shared_ptr<Spectrum> s(new Spectrum);
  const std::string body = state.substr(tag);
  Unpacker unpacker(body);
  s->visit_state(unpacker);
  if (!unpacker.done()) throw std::invalid_argument("a damaged state");
  return s;
}

// --- many files ------------------------------------------------------------------

std::vector<Reduced> reduce_files(const std::vector<std::string>& paths, const Options& options,
                                  int jobs) {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int workers =
      std::max(1, std::min(jobs > 0 ? jobs : cores, static_cast<int>(paths.size())));
  const int threads = std::max(1, cores / workers);
  std::vector<Reduced> out(paths.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < paths.size();) {
      try {
        out[i].spectrum = Spectrum::from_file(paths[i], options, threads);
      } catch (const Refusal& refusal) {
        out[i].refusal = refusal.what();
        out[i].channel = refusal.channel;
      } catch (const std::exception& e) {
        // (memory or a thread): this file is not reduced, the others are.
        out[i].refusal = "cannot be reduced here: " + std::string(e.what());
      }
    }
  };
  std::vector<std::thread> helpers;
  for (int t = 1; t < workers; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // a process limit: fewer workers
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return out;
}

std::string summary_text(const std::vector<FileOutcome>& outcomes) {
  std::string text = summary_header() + "\n";
  for (const FileOutcome& outcome : outcomes) text += summary_row(outcome) + "\n";
  return text;
}

}  // namespace xas::module
