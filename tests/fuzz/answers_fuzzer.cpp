// Fuzzes the reading of the user's answers from standard input: the file-name
// text, then one integer and two integers, as the dialogue asks for them. The
// input is the whole of standard input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/answers.h"
#include "fuzz_support.h"

namespace {

// The longest answer the reader holds; a longer line is refused.
constexpr std::size_t kLongestAnswer = 1 << 16;

// Reads `count` integers into the first targets of a larger array; the rest
// must stay as they were.
bool read_integers(xas::Answers& answers, int count) {
  int targets[3] = {-7, -7, -7};
  std::string err;
  bool ok = answers.read_integers(targets, count, "question", &err);
  if (targets[2] != -7) xas::fuzz::fail("the read wrote past its last target");
  if (ok != err.empty()) xas::fuzz::fail("success and error message disagree", err);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<char> storage;
  std::FILE* in = xas::fuzz::open_bytes(data, size, &storage);
  {
    xas::Answers answers(in);
    std::string name;
    std::string err;
    bool ok = answers.read_line(&name, "name", &err);
    if (ok != err.empty()) xas::fuzz::fail("success and error message disagree", err);
    if (name.find_first_of("\r\n") != std::string::npos)
      xas::fuzz::fail("the name holds a line end", name);
    if (name.size() > kLongestAnswer) xas::fuzz::fail("the name is longer than an answer holds");
    if (ok && read_integers(answers, 1)) read_integers(answers, 2);
  }
  std::fclose(in);
  return 0;
}
