// One result file written as the driver writes it: announced on the screen,
// its text written into a result set's temporary by `write`, the set
// committed into `directory`.
#pragma once

#include <string>

#include "driver/naming.h"
#include "results/result_set.h"
#include "common/text_out.h"

namespace xas::test {

// False, with err set, when the file could not be opened or committed.
template <typename Write>
bool write_result_file(const std::string& directory, const ResultKind& kind,
                       const std::string& base, TextOut& screen, Write write, std::string* err) {
  ResultSet results(directory);
  const std::string name = base + kind.extension;
  bool exists = false;
  if (!results.check(name, &exists, err)) return false;
  announce_result_file(kind, base, exists, screen);
  TextOut* out = results.open(name, err);
  if (out == nullptr) return false;
  write(*out);
  return results.commit(err);
}

}  // namespace xas::test
