// Times each stage of a reduction and the whole run, on a generated
// 15000-point spectrum (the program's limit) and on the bundled copper foil.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "background/absorption_file.h"
#include "background/edge.h"
#include "background/fit.h"
#include "common/records.h"
#include "common/text_out.h"
#include "common/warnings.h"
#include "driver/answers.h"
#include "driver/avafile.h"
#include "driver/dialogue.h"
#include "driver/driver.h"
#include "driver/reduction.h"
#include "driver/result_files.h"
#include "spectra/kaxis.h"
#include "spectra/noise.h"
#include "spectra/signal.h"
#include "spectra/transform.h"

namespace {

std::string g_workdir;

// A K-edge transmission spectrum of n points from 8.0 to 9.8 keV: sloped
// pre-edge, arctangent step with a white line, two damped EXAFS shells and a
// little deterministic noise.
std::string generated_spectrum(int n) {
  std::string path = g_workdir + "/generated.dat";
  std::FILE* f = std::fopen(path.c_str(), "w");
  unsigned seed = 12345;
  for (int i = 0; i < n; ++i) {
    double e = 8000.0 + 1800.0 * i / (n - 1);
    double x = e - 8333.0;
    double step = 0.5 + std::atan(x / 1.5) / M_PI + 0.3 * std::exp(-(x - 5) * (x - 5) / 20.0);
    double k = x > 0 ? std::sqrt(0.2625 * x) : 0.0;
    double chi = k > 0 ? (0.4 * std::sin(2 * k * 2.49 + 0.5) * std::exp(-0.01 * k * k) +
                          0.15 * std::sin(2 * k * 3.52)) * std::exp(-0.003 * k * k) / (1 + k)
                       : 0.0;
    seed = seed * 1103515245u + 12345u;
    double noise = ((seed >> 16) & 0x7fff) / 32768.0 - 0.5;
    std::fprintf(f, "%.4f %.6f\n", e, 0.6 - 0.00005 * (e - 8000) + step * (1 + chi) + 5e-4 * noise);
  }
  std::fclose(f);
  return path;
}

std::string example_spectrum() { return std::string(XAS_EXAMPLES) + "/cu_foil.dat"; }

const std::string& data_file(int which) {
  static const std::string generated = generated_spectrum(15000);
  static const std::string example = example_spectrum();
  return which == 0 ? generated : example;
}

// Descriptor of /dev/null: where the screen and the result files of the
// stage benchmarks go.
int null_fd() {
  static const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  return fd;
}

// The answers of a run on a two-column file, read from memory as from a pipe.
struct MemoryAnswers {
  std::string text;
  std::FILE* in;
  xas::Answers answers;

  MemoryAnswers(const std::string& data, int itop)
      : text(data + "\n2\n" + std::to_string(itop) + "\n"),
        in(fmemopen(text.data(), text.size(), "r")),
        answers(in) {}
  ~MemoryAnswers() { std::fclose(in); }
};

// The records of a run, its screen on /dev/null.
struct Records {
  xas::Request request;
  xas::DataText text;
  xas::Reduction r;
  xas::TextOut screen{null_fd()};
};

// The records of a run loaded and reduced, on the heap.
std::unique_ptr<Records> prepared(const std::string& data) {
  auto records = std::make_unique<Records>();
  MemoryAnswers in(data, 1);
  xas::Warnings warnings;
  std::string err;
  xas::Opened opened;
  if (!xas::avafile(in.answers, xas::dialogue_rules(), -1, records->screen, warnings,
                    &records->request, &records->text, records->r.data, &opened, &err) ||
      !xas::check_points(records->r.data, "data", &err) ||
      !xas::ask_plot(in.answers, records->screen, &records->request, &err))
    std::abort();
  if (!xas::reduce(xas::ReductionSettings(), records->r, &err)) std::abort();
  return records;
}

void BM_ReadTable(benchmark::State& state) {
  const std::string& data = data_file(static_cast<int>(state.range(0)));
  auto records = std::make_unique<Records>();
  for (auto _ : state) {
    MemoryAnswers in(data, 1);
    xas::Warnings warnings;
    std::string err;
    xas::Opened opened;
    benchmark::DoNotOptimize(xas::avafile(in.answers, xas::dialogue_rules(), -1, records->screen,
                                          warnings, &records->request, &records->text,
                                          records->r.data, &opened, &err));
  }
}

template <void (*Stage)(Records&)>
void BM_Stage(benchmark::State& state) {
  std::unique_ptr<Records> records = prepared(data_file(static_cast<int>(state.range(0))));
  for (auto _ : state) Stage(*records);
}

// Each repetition gets warnings of its own, so that none pile up.
void edge(Records& records) {
  xas::Reduction& r = records.r;
  xas::Warnings warnings;
  std::string err;
  xas::locate_edge(r.data, r.deriv, r.edge, records.screen, warnings, &err);
}
void wave_numbers(Records& records) {
  xas::Reduction& r = records.r;
  xas::wave_numbers(r.data, r.edge.e0, r.exafs, r.ne0);
}
void background(Records& records) {
  xas::Reduction& r = records.r;
  xas::Warnings warnings;
  std::string err;
  xas::fit_background(r.edge, r.exafs.k, r.data, r.deriv, r.logic, r.model, r.background,
                      records.screen, warnings, &err);
}
void signal(Records& records) {
  xas::Reduction& r = records.r;
  xas::extract_signal(r.data, r.model, r.background, r.logic, r.exafs, r.normalised,
                      records.screen);
}
void transform_1(Records& records) {
  xas::Reduction& r = records.r;
  xas::fourier_transform(r.exafs, r.params, r.logic, r.fourie, 1);
}
void transform_2(Records& records) {
  xas::Reduction& r = records.r;
  xas::fourier_transform(r.exafs, r.params, r.logic, r.fourie, 2);
}
void noise(Records& records) {
  xas::Reduction& r = records.r;
  xas::estimate_noise(r.edge.e0, r.data, records.screen, r.noise);
}
void absorption_rows(Records& records) {
  xas::Reduction& r = records.r;
  xas::TextOut gabs(null_fd());
  xas::write_absorption_rows(r.data, r.deriv, r.edge.e0, r.normalised.fit, r.normalised.anor,
                             gabs);
  gabs.flush();
}
void result_files(Records& records) {
  // Every file of the set, each a new temporary in the scratch directory,
  // synced and renamed into place as a set.
  xas::ResultOptions options;
  options.directory = g_workdir;
  options.base = "bench";
  xas::TextOut screen(null_fd());
  std::string err;
  if (!xas::write_results(records.request, records.r, std::string(), options, screen, &err))
    std::abort();
}

// The bound the transform is measured against: the C library's scalar
// sincosf alone on every (point, distance) pair of the spectrum's transform
// (491,000 for the copper foil), in the transform's order.
void BM_SincosfBound(benchmark::State& state) {
  std::unique_ptr<Records> records = prepared(data_file(static_cast<int>(state.range(0))));
  const xas::Reduction& r = records->r;
  std::vector<float> akf;
  for (int i = 1; i < r.exafs.n; ++i) {
    const float k = r.exafs.k(i);
    if (k > 0.0f && xas::window(k, r.params.akmin, r.params.akmax, r.params.dk, xas::kPi) > 0.0f)
      akf.push_back(k);
  }
  std::vector<float> r2;
  for (int m = 1; m <= r.params.n; ++m) {
    const float distance = r.params.rmin + static_cast<float>(m - 1) * r.params.dr;
    r2.push_back(distance + distance);
  }
  for (auto _ : state) {
    float sum = 0.0f;
    for (float twice : r2) {
      for (float k : akf) {
        float s, c;
        ::sincosf(k * twice, &s, &c);
        sum += s + c;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["pairs"] = static_cast<double>(akf.size() * r2.size());
}

// A whole run as the dialogue makes it: records made anew, every stage, the
// result set committed in the scratch directory.
void BM_WholeRun(benchmark::State& state) {
  const std::string& data = data_file(static_cast<int>(state.range(0)));
  xas::DialogueOptions options;
  options.directory = g_workdir;
  for (auto _ : state) {
    MemoryAnswers in(data, 1);
    xas::TextOut screen(null_fd());
    if (xas::run_dialogue(in.answers, screen, options).status != 0) std::abort();
  }
}

// Whole runs as the command line makes them, one after the other: records
// whose memory is reused.
void BM_WholeRunReused(benchmark::State& state) {
  const std::string& data = data_file(static_cast<int>(state.range(0)));
  xas::DialogueOptions options;
  options.directory = g_workdir;
  xas::Reduction records;
  options.records = &records;
  for (auto _ : state) {
    MemoryAnswers in(data, 1);
    xas::TextOut screen(null_fd());
    if (xas::run_dialogue(in.answers, screen, options).status != 0) std::abort();
  }
}

// range(0): 0 = generated 15000 points, 1 = bundled copper foil.
BENCHMARK(BM_ReadTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<edge>)->Name("BM_EdgeLocation")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<wave_numbers>)->Name("BM_WaveNumbers")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<background>)->Name("BM_BackgroundFit")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<signal>)->Name("BM_Signal")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<transform_1>)->Name("BM_Transform1Thread")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SincosfBound)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<transform_2>)->Name("BM_Transform2Threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<noise>)->Name("BM_Noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<absorption_rows>)->Name("BM_AbsorptionRows")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<result_files>)->Name("BM_ResultSet")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WholeRunReused)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // Result files of the whole-run benchmark go to a scratch directory.
  g_workdir = (std::filesystem::temp_directory_path() / "xasreduce-bench").string();
  std::filesystem::create_directories(g_workdir);
  if (chdir(g_workdir.c_str()) != 0) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(g_workdir);
  return 0;
}
