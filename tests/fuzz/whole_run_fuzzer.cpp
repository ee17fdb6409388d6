// Fuzzes a whole run on an arbitrary data file. The input is the data file;
// the answers are fixed: the file name, 2 columns, and TopDrawer scripts as
// well, so that every stage and every result file is reached. The run happens
// in a scratch directory that the fuzzer enters at the first input, with one
// set of records kept from input to input, as the command line keeps it from
// file to file.
//
// Besides what the sanitizers and assertions catch, each run must keep the
// driver's promises: exit status 0 or 2; status 2 with a one-line message (an
// answer that cannot be read: a line saying which, then the reason) and no
// result file created; status 0 with warnings of one line each, a finite
// edge energy and every result file present; and no temporary left behind.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "driver/answers.h"
#include "driver/driver.h"
#include "driver/reduction.h"
#include "fuzz_support.h"
#include "common/text_out.h"

namespace {

const char kAnswers[] = "data.dat\n2\n1\n";
const char kDataFile[] = "data.dat";
const char* const kResultFiles[] = {"data.gabs", "data.topn", "data.gfou", "data.gexa",
                                    "data.topa", "data.tope", "data.topf"};

// Made only where a directory cannot be locked; it may stay between runs.
const char kLockFile[] = ".xasreduce-lock";

std::string g_scratch;

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
  ::unlink(kLockFile);
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
}

bool expected_entry(std::string_view name) {
  if (name == "." || name == ".." || name == kDataFile || name == kLockFile) return true;
  for (const char* result : kResultFiles)
    if (name == result) return true;
  return false;
}

// Fails if the scratch directory holds anything but the data file, the
// result files and the lock file: a temporary or a commit journal left behind.
void expect_no_leftovers() {
  DIR* dir = ::opendir(".");
  if (dir == nullptr) xas::fuzz::fail("cannot list the scratch directory");
  for (const dirent* entry; (entry = ::readdir(dir)) != nullptr;) {
    if (!expected_entry(entry->d_name)) {
      const std::string name = entry->d_name;
      ::closedir(dir);
      xas::fuzz::fail("a run left a file behind", name);
    }
  }
  ::closedir(dir);
}

// The message of a refused run: one line, or for an answer that could not be
// read, the line saying which answer and then the reason.
bool well_formed_message(const std::string& message) {
  if (message.empty()) return false;
  const std::size_t end = message.find('\n');
  if (end == std::string::npos) return true;
  static constexpr std::string_view kLocus = "cannot read the answer to ";
  return message.compare(0, kLocus.size(), kLocus) == 0 &&
         message.find('\n', end + 1) == std::string::npos && end + 1 < message.size();
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
  xas::TextOut screen;  // in memory; dropped
  xas::Answers answers(in, &screen);
  xas::DialogueOptions options;
  options.directory = g_scratch;
  // One set of records for every input, as the command line keeps it from
  // file to file: its promise that every run starts from zero is put to the
  // test.
  static xas::Reduction records;
  options.records = &records;
  const xas::DialogueOutcome outcome = xas::run_dialogue(answers, screen, options);
  const int status = outcome.status;
  std::fclose(in);

  if (status == 0) {
    if (!outcome.message.empty()) xas::fuzz::fail("status 0 with a message", outcome.message);
    for (const std::string& warning : outcome.warnings)
      if (warning.empty() || warning.find('\n') != std::string::npos)
        xas::fuzz::fail("a warning that is not one line", warning);
    if (!std::isfinite(outcome.e0))
      xas::fuzz::fail("status 0 with an edge energy that is not finite");
    for (const char* name : kResultFiles)
      if (!exists(name)) xas::fuzz::fail("status 0 without a result file", name);
  } else if (status == 2) {
    if (!well_formed_message(outcome.message))
      xas::fuzz::fail("status 2 without a one-line message", outcome.message);
    for (const char* name : kResultFiles)
      if (exists(name)) xas::fuzz::fail("status 2 after a result file was created", name);
  } else {
    xas::fuzz::fail("exit status neither 0 nor 2", std::to_string(status));
  }
  expect_no_leftovers();
  return 0;
}
