#include "driver/naming.h"

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

bool check_result_names(const ResultSet& results, const std::vector<std::string>& names,
                        dev_t device, ino_t inode, std::string* err) {
  for (const std::string& name : names) {
    bool exists = false;
    if (!results.check(name, &exists, err)) return false;
    if (exists && results.is_file(name, device, inode)) {
      *err = "the result file " + quote(name) +
             " would replace the data file; rename the data file or run in another directory";
      return false;
    }
  }
  return true;
}

void announce_result_file(const ResultKind& kind, const std::string& base, bool exists,
                          TextOut& screen) {
  std::string line(kind.announcement);
  line += Name90(base + kind.extension).view();
  screen.line("");
  screen.line(line);
  screen.record(FreeFormRecord().add_text(exists ? " ... warning! overwriting previous version ..."
                                                 : " ... creating new file ..."));
}

}  // namespace xas
