// The folders are the layers of the program, bottom to top:
//   common/     text rules, records, warnings, messages, the error stream;
//   terminal/   line editing and completion of answers;
//   results/    every file-system call: data files, temporaries, result sets;
//   background/ spectra/ output/   the stages and the writers of the reduction;
//   driver/     the dialogue, the reader and one reduction;
//   cli/        the command line, its series, summary and pictures;
//   python/     the module.
// A source includes files of its own folder or of the folders below it only.
// The rule is checked on every source of those folders, and on an include
// planted in a copy of the rule's input, so that the check itself is known
// to bite.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace xas::test {
namespace {

const std::filesystem::path kSource = std::filesystem::path(XAS_EXAMPLES).parent_path();

const std::vector<std::string>& folders() {
  static const std::vector<std::string> kFolders = {
      "common", "terminal", "results", "background", "spectra", "output", "driver", "cli", "python"};
  return kFolders;
}

// The layer of a project path ("spectra/noise.h"); -1 for a path outside them.
int layer(const std::string& path) {
  const std::string folder = path.substr(0, path.find('/'));
  for (std::size_t i = 0; i < folders().size(); ++i)
    if (folders()[i] == folder) return static_cast<int>(i);
  return -1;
}

// The includes of a project file that run up a layer, as "file includes target".
std::vector<std::string> upward_includes(const std::string& name, std::istream& in) {
  std::vector<std::string> found;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("#include \"", 0) != 0) continue;
    const std::string included = line.substr(10, line.find('"', 10) - 10);
    const int target = layer(included);
    if (target < 0 && included.find('/') != std::string::npos)
      found.push_back(name + " includes " + included + ", which is in no layer");
    else if (target > layer(name))
      found.push_back(name + " includes " + included);
  }
  return found;
}

TEST(Layering, NoSourceIncludesAFolderAboveItsOwn) {
  int files = 0;
  for (const std::string& folder : folders()) {
    if (!std::filesystem::exists(kSource / folder)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSource / folder)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".h" && ext != ".cpp") continue;
      const std::string name =
          std::filesystem::relative(entry.path(), kSource).generic_string();
      std::ifstream in(entry.path());
      ++files;
      for (const std::string& fault : upward_includes(name, in)) ADD_FAILURE() << fault;
    }
  }
  EXPECT_GT(files, 60);
}

TEST(Layering, APlantedUpwardIncludeIsFound) {
  struct Case {
    const char* file;
    const char* text;
    std::size_t faults;
  };
  const Case cases[] = {
      {"common/text_out.cpp", "#include \"common/text_out.h\"\n#include <string>\n", 0},
      {"spectra/noise.cpp", "#include \"background/simq.h\"\n", 0},
      {"common/text_out.cpp", "#include \"driver/reduction.h\"\n", 1},
      {"background/fit.cpp", "#include \"spectra/kaxis.h\"\n#include \"cli/options.h\"\n", 2},
      {"results/result_set.cpp", "#include \"terminal/line_reader.h\"\n", 0},
      {"driver/reduction.cpp", "#include \"nowhere/thing.h\"\n", 1},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.text);
    EXPECT_EQ(upward_includes(c.file, in).size(), c.faults) << c.file << ": " << c.text;
  }
}

}  // namespace
}  // namespace xas::test
