#include "driver/naming.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "common/freeform_write.h"
#include "common/message_text.h"
#include "results/result_set.h"
#include "common/text_out.h"

namespace xas {

std::string base_name(std::string_view name, std::size_t limit) {
  const std::size_t slash = name.find_last_of('/');
  const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = name.find_last_of('.');
  const std::size_t text = name.find_last_not_of(' ');
  std::size_t end = 0;  // one past the last character of the base name
  if (dot != std::string_view::npos && dot >= start)
    end = dot;
  else if (text != std::string_view::npos)
    end = text + 1;
  if (end <= start) return std::string();
  return std::string(name.substr(start, std::min(end - start, limit)));
}

void nome(const Name90& input, const std::string& base, TextOut& screen) {
  screen.record(FreeFormRecord().add_text(input.view()));
  screen.record(FreeFormRecord().add_text(Name90(base).view()));
}

bool check_result_names(const ResultSet& results, const std::string& base, int itop, bool log,
                        const DataFile& data_file, std::string* err) {
  std::vector<std::string> names;
  for (const ResultKind* kind : kResultKinds)
    if (!kind->topdrawer || itop == 1) names.push_back(base + kind->extension);
  if (log) names.push_back(base + ".log");
  for (const std::string& name : names) {
    bool exists = false;
    if (!results.check(name, &exists, err)) return false;
    if (exists && results.is_file(name, data_file.device, data_file.inode)) {
      *err = "xasreduce: the result file " + quote(name) +
             " would replace the data file; rename the data file or run in another directory";
      return false;
    }
  }
  return true;
}

TextOut* open_result_file(ResultSet& results, const ResultKind& kind, const std::string& base,
                          bool* exists, std::string* err) {
  const std::string name = base + kind.extension;
  if (!results.check(name, exists, err)) return nullptr;
  return results.open(name, err);
}

namespace {

void announcement(const ResultKind& kind, const std::string& base, TextOut& screen) {
  std::string line(kind.announcement);
  line += Name90(base + kind.extension).view();
  screen.line("");
  screen.line(line);
}

void opened(bool exists, TextOut& screen) {
  screen.record(FreeFormRecord().add_text(exists ? " ... warning! overwriting previous version ..."
                                                 : " ... creating new file ..."));
}

}  // namespace

void announce_result_file(const ResultKind& kind, const std::string& base, bool exists,
                          TextOut& screen) {
  announcement(kind, base, screen);
  opened(exists, screen);
}

TextOut* start_result_file(ResultSet& results, const ResultKind& kind, const std::string& base,
                           TextOut& screen, std::string* err) {
  announcement(kind, base, screen);
  bool exists = false;
  TextOut* out = open_result_file(results, kind, base, &exists, err);
  if (out != nullptr) opened(exists, screen);
  return out;
}

}  // namespace xas
