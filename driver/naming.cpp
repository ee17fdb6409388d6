#include "driver/naming.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "driver/freeform_write.h"
#include "driver/run.h"

namespace xas {

int base_name(const Name90& input, Name90* base) {
  const int width = Name90::width();
  int start = 1;
  int last_dot = 0;
  int last_text = 0;
  for (int col = 1; col <= width; ++col) {
    char c = input(col);
    if (c == '/') start = col + 1;
    if (c == '.') last_dot = col;
    if (c != ' ') last_text = col;
  }
  int end = last_dot >= start ? last_dot - 1 : last_text;
  if (end - start + 1 > kMaxBaseName) end = start + kMaxBaseName - 1;
  int length = end >= start ? end - start + 1 : 0;
  base->set(input.view().substr(static_cast<std::size_t>(start - 1),
                                static_cast<std::size_t>(length)));
  return length;
}

int nome(const Name90& input, Name90* base, Console& console) {
  int length = base_name(input, base);
  console.record(FreeFormRecord().add_text(input.view()));
  console.record(FreeFormRecord().add_text(base->view()));
  return length;
}

Name90 result_name(const Name90& base, int length, const char* extension) {
  std::string name(base.view().substr(0, static_cast<std::size_t>(length)));
  name += extension;
  return Name90(name);
}

ResultFile& result_unit(Run& run, int unit) {
  switch (unit) {
    case 98: return run.unit98;
    case 82: return run.unit82;
    case 97: return run.unit97;
    case 95: return run.unit95;
    case 83: return run.unit83;
    case 86: return run.unit86;
    case 87: return run.unit87;
  }
  std::abort();  // no other unit is ever opened
}

bool open(Run& run, int unit, const Name90& name, std::string* err) {
  std::string path(name.trimmed());
  const char* notice = " ... creating new file ...";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    notice = " ... warning! overwriting previous version ...";
  }
  if (fd < 0) {
    *err = "Cannot open file '" + path + "': " + std::strerror(errno);
    return false;
  }
  result_unit(run, unit).attach(fd, path);
  run.console.record(FreeFormRecord().add_text(notice));
  return true;
}

bool name_results(Run& run, std::string* err) {
  run.ifi = nome(run.file, &run.base, run.console);
  const ResultKind* kinds[] = {&kAbsorptionFile, &kNoisePlotFile,      &kFourierFile,
                               &kExafsFile,      &kAbsorptionPlotFile, &kExafsPlotFile,
                               &kFourierPlotFile};
  for (const ResultKind* kind : kinds) {
    if (kind->topdrawer && run.itop != 1) continue;
    std::string path(result_name(run.base, run.ifi, kind->extension).trimmed());
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && st.st_dev == run.file_device &&
        st.st_ino == run.file_inode) {
      *err = "xasreduce: the result file '" + path +
             "' would replace the data file; rename the data file or run in another directory";
      return false;
    }
  }
  return true;
}

bool close_results(Run& run, std::string* err) {
  bool ok = true;
  for (int unit : {98, 82, 97, 95, 83, 86, 87}) {
    std::string message;
    if (!result_unit(run, unit).close(&message) && ok) {
      *err = message;
      ok = false;
    }
  }
  return ok;
}

bool start_result_file(Run& run, const ResultKind& kind, std::string* err) {
  run.fileout = result_name(run.base, run.ifi, kind.extension);
  run.console.line("");
  std::string announcement(kind.announcement);
  announcement += run.fileout.view();
  run.console.line(announcement);
  return open(run, kind.unit, run.fileout, err);
}

}  // namespace xas
