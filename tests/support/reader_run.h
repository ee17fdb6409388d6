// The data reader run on its own: answers from memory, the screen and the
// warnings kept in memory, the spectrum and the data file's name filled.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "driver/avafile.h"
#include "common/records.h"
#include "common/warnings.h"
#include "common/text_out.h"
#include "support/memory_answers.h"
#include "support/scratch_dir.h"

namespace xas::test {

struct ReaderRun {
  // Reads with the dialogue's rules; a relative data file name is opened
  // from the current directory.
  explicit ReaderRun(const std::string& answers) : in(answers) {
    Opened opened;
    ok = avafile(in.answers(), dialogue_rules(), -1, screen, warnings, &request, &text, *spectrum,
                 &opened, &err);
  }
  MemoryAnswers in;
  TextOut screen;
  Warnings warnings;
  Request request;
  DataText text;
  std::unique_ptr<Data> spectrum = std::make_unique<Data>();  // large: on the heap
  bool ok = false;
  std::string err;

  std::vector<std::string> lines() const { return split_lines(screen.text()); }
  Data& data() { return *spectrum; }
};

}  // namespace xas::test
