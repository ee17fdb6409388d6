// The layers of the program, checked on its sources: each file includes
// only files of its own layer or of the layers below, so that no stage can
// reach the driver that runs it, nor a writer the stages after it.
//   text rules and records: the free-form and field notations, the records
//     of the spectrum, the text sinks, warnings and message texts;
//   background/: the edge, the model, the solver, the fit, the absorption file;
//   spectra/: the k axis, the signal, the transform, the noise;
//   output/ writers: the data files and the plot scripts;
//   driver/: the dialogue, the command line, the result sets, the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace xas::test {
namespace {

const std::filesystem::path kSource = std::filesystem::path(XAS_EXAMPLES).parent_path();

int layer(const std::string& file) {
  static const char* const kBase[] = {
      "driver/records.h",        "driver/characters.h",    "driver/columns.h",
      "driver/message_text",     "driver/freeform_read",   "driver/freeform_write",
      "driver/line_reader",      "driver/warnings",        "output/decimal",
      "output/fields",           "output/layout",          "output/text_out"};
  for (const char* base : kBase)
    if (file.rfind(base, 0) == 0) return 0;
  if (file.rfind("background/", 0) == 0) return 1;
  if (file.rfind("spectra/", 0) == 0) return 2;
  if (file.rfind("output/", 0) == 0) return 3;
  return 4;
}

TEST(Layering, NoFileIncludesALayerAboveItsOwn) {
  int files = 0;
  for (const char* folder : {"driver", "background", "spectra", "output"}) {
    for (const auto& entry : std::filesystem::directory_iterator(kSource / folder)) {
      const std::string name = std::string(folder) + "/" + entry.path().filename().string();
      std::ifstream in(entry.path());
      ++files;
      for (std::string line; std::getline(in, line);) {
        if (line.rfind("#include \"", 0) != 0) continue;
        const std::string included = line.substr(10, line.find('"', 10) - 10);
        EXPECT_LE(layer(included), layer(name)) << name << " includes " << included;
      }
    }
  }
  EXPECT_GT(files, 40);
}

}  // namespace
}  // namespace xas::test
