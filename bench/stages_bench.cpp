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

#include "background/absorption_file.h"
#include "background/edge.h"
#include "background/fit.h"
#include "driver/avafile.h"
#include "driver/driver.h"
#include "driver/run.h"
#include "output/data_files.h"
#include "output/plot_scripts.h"
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

// Everything a run writes goes to /dev/null.
struct NullRun {
  std::string answers;
  std::FILE* in;
  std::FILE* out = std::fopen("/dev/null", "w");
  xas::RunPtr run;

  explicit NullRun(const std::string& data, int itop = 1)
      : answers(data + "\n2\n" + std::to_string(itop) + "\n"),
        in(fmemopen(answers.data(), answers.size(), "r")),
        run(xas::make_run(in, out, out)) {}
  ~NullRun() {
    run.reset();
    std::fclose(in);
    std::fclose(out);
  }
  // A run brought up to the end of the transform, with every result unit open on /dev/null.
  void prepare() {
    std::string err;
    xas::Run& r = *run;
    r.pi = 3.1415927f;
    if (!xas::avafile(r, &err) || !xas::ask_plot(r, &err)) std::abort();
    xas::energies_to_kev(r);
    if (!xas::locate_edge(r, &err)) std::abort();
    xas::wave_numbers(r);
    if (!xas::fit_background(r, &err)) std::abort();
    for (xas::ResultFile* u : {&r.unit98, &r.unit82, &r.unit97, &r.unit95, &r.unit83, &r.unit86,
                               &r.unit87})
      u->attach(::open("/dev/null", O_WRONLY), "/dev/null");
    xas::extract_signal(r);
    xas::choose_transform(r);
    xas::fourier_transform(r);
  }
};

void BM_ReadTable(benchmark::State& state) {
  for (auto _ : state) {
    NullRun nr(data_file(static_cast<int>(state.range(0))));
    std::string err;
    nr.run->pi = 3.1415927f;
    benchmark::DoNotOptimize(xas::avafile(*nr.run, &err));
  }
}

template <void (*Stage)(xas::Run&)>
void BM_Stage(benchmark::State& state) {
  NullRun nr(data_file(static_cast<int>(state.range(0))));
  nr.prepare();
  for (auto _ : state) Stage(*nr.run);
}

void edge(xas::Run& r) {
  std::string err;
  xas::locate_edge(r, &err);
}
void background(xas::Run& r) {
  std::string err;
  xas::fit_background(r, &err);
}
void signal(xas::Run& r) { xas::extract_signal(r); }
void transform_1(xas::Run& r) { xas::fourier_transform(r, 1); }
void transform_2(xas::Run& r) { xas::fourier_transform(r, 2); }
void noise(xas::Run& r) { xas::estimate_noise(r); }
void absorption_rows(xas::Run& r) { xas::write_absorption_rows(r); }
void result_files(xas::Run& r) {
  // The files written after the transform, each opened anew in the scratch directory.
  std::string err;
  xas::set_exafs_plot_limits(r);
  if (!xas::write_fourier_file(r, &err) || !xas::write_exafs_file(r, &err) ||
      !xas::write_absorption_plot(r, &err) || !xas::write_exafs_plot(r, &err) ||
      !xas::write_fourier_plot(r, &err))
    std::abort();
}

void BM_WholeRun(benchmark::State& state) {
  const std::string& data = data_file(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    NullRun nr(data, 1);
    benchmark::DoNotOptimize(xas::run_reduction(*nr.run));
  }
}

// range(0): 0 = generated 15000 points, 1 = bundled copper foil.
BENCHMARK(BM_ReadTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<edge>)->Name("BM_EdgeLocation")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<xas::wave_numbers>)->Name("BM_WaveNumbers")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<background>)->Name("BM_BackgroundFit")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<signal>)->Name("BM_Signal")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<transform_1>)->Name("BM_Transform1Thread")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<transform_2>)->Name("BM_Transform2Threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<noise>)->Name("BM_Noise")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<absorption_rows>)->Name("BM_AbsorptionRows")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stage<result_files>)->Name("BM_DataFilesAndScripts")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

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
