// Fuzzes a whole run on an arbitrary data file. The input is the data file;
// the answers are fixed: the file name, 2 columns, and TopDrawer scripts as
// well, so that every stage and every result file is reached. The run happens
// in a scratch directory that the fuzzer enters once at start.
//
// Besides what the sanitizers and assertions catch, each run must keep the
// driver's promises: exit status 0 or 2; status 2 with exactly one line on the
// error stream and no result file created; status 0 with nothing but warning
// lines on the error stream, a finite edge energy and every result file present.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"
#include "driver/run.h"
#include "fuzz_support.h"

namespace {

const char kAnswers[] = "data.dat\n2\n1\n";
const char kDataFile[] = "data.dat";
const char* const kResultFiles[] = {"data.gabs", "data.topn", "data.gfou", "data.gexa",
                                    "data.topa", "data.tope", "data.topf"};

std::string g_scratch;
std::FILE* g_screen = nullptr;  // the screen goes nowhere

// The run state is a megabyte of fixed arrays. It is built anew for every
// input, in the same storage: allocating and releasing it each time costs the
// sanitizers' allocator fresh pages and slows the fuzzer several times over.
alignas(xas::Run) unsigned char g_run_storage[sizeof(xas::Run)];

// Command-line arguments rewritten as absolute paths, kept for the whole run.
std::vector<std::string> g_args;
std::vector<char*> g_argv;

bool exists(const char* name) {
  struct stat st;
  return ::stat(name, &st) == 0;
}

void remove_files() {
  for (const char* name : kResultFiles) ::unlink(name);
  ::unlink(kDataFile);
}

void remove_scratch() {
  if (g_scratch.empty()) return;
  remove_files();
  if (::chdir("/") == 0) ::rmdir(g_scratch.c_str());
}

void write_data_file(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(kDataFile, "wb");
  if (f == nullptr) xas::fuzz::fail("cannot write the data file");
  if (size > 0 && std::fwrite(data, 1, size, f) != size) xas::fuzz::fail("short write");
  std::fclose(f);
}

std::string absolute(const std::string& cwd, std::string_view path) {
  if (path.empty() || path[0] == '/') return std::string(path);
  return cwd + "/" + std::string(path);
}

// Makes the paths among the arguments absolute: corpus directories and input
// files (arguments without a leading '-') and the values of the flags that
// name files or directories. The program's own name must stay as it is.
void absolute_arguments(int* argc, char*** argv) {
  static const std::string_view kPathFlags[] = {"-artifact_prefix=", "-exact_artifact_path=",
                                                "-dict=", "-features_dir=",
                                                "-merge_control_file="};
  char cwd[4096];
  if (::getcwd(cwd, sizeof cwd) == nullptr) xas::fuzz::fail("getcwd failed");
  for (int i = 0; i < *argc; ++i) {
    std::string_view arg((*argv)[i]);
    std::string out(arg);
    if (i > 0 && !arg.empty() && arg[0] != '-') out = absolute(cwd, arg);
    for (std::string_view flag : kPathFlags)
      if (arg.substr(0, flag.size()) == flag)
        out = std::string(flag) + absolute(cwd, arg.substr(flag.size()));
    g_args.push_back(out);
  }
  for (std::string& arg : g_args) g_argv.push_back(arg.data());
  g_argv.push_back(nullptr);
  *argv = g_argv.data();
}

// Creates the scratch directory and enters it. Done at the first input rather
// than at start-up: in fork mode the parent process only starts children, by
// the program's name as given, which may be a path relative to where it was
// started.
void enter_scratch() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                        "/xasreduce-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) xas::fuzz::fail("mkdtemp failed", pattern);
  g_scratch = pattern;
  if (::chdir(g_scratch.c_str()) != 0) xas::fuzz::fail("cannot enter the scratch directory");
  std::atexit(remove_scratch);
  g_screen = std::fopen("/dev/null", "w");
  if (g_screen == nullptr) xas::fuzz::fail("cannot open /dev/null");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  absolute_arguments(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (g_scratch.empty()) enter_scratch();
  remove_files();
  write_data_file(data, size);

  std::vector<char> storage;
  std::FILE* in = xas::fuzz::open_bytes(reinterpret_cast<const std::uint8_t*>(kAnswers),
                                        sizeof kAnswers - 1, &storage);
  xas::fuzz::MemoryOutput errors;
  xas::Run* run = new (g_run_storage) xas::Run(in, g_screen, errors.stream());
  const int status = xas::run_reduction(*run);
  const float e0 = run->model.spl0.e0;
  run->~Run();  // closes the result files, as the end of the process does
  std::fclose(in);
  const std::string err = errors.text();

  if (status == 0) {
    for (std::size_t at = 0; at < err.size(); at = err.find('\n', at) + 1) {
      if (err.compare(at, 20, "xasreduce: warning: ") != 0)
        xas::fuzz::fail("status 0 with a message on the error stream that is no warning", err);
      if (err.find('\n', at) == std::string::npos) xas::fuzz::fail("a warning without its line end", err);
    }
    if (!std::isfinite(e0)) xas::fuzz::fail("status 0 with an edge energy that is not finite");
    for (const char* name : kResultFiles)
      if (!exists(name)) xas::fuzz::fail("status 0 without a result file", name);
  } else if (status == 2) {
    if (err.empty() || err.back() != '\n' || err.find('\n') != err.size() - 1)
      xas::fuzz::fail("status 2 without a one-line message", err);
    for (const char* name : kResultFiles)
      if (exists(name)) xas::fuzz::fail("status 2 after a result file was created", name);
  } else {
    xas::fuzz::fail("exit status neither 0 nor 2", std::to_string(status));
  }
  return 0;
}
