#include "fuzz_support.h"

#include <cstdlib>

namespace xas::fuzz {

std::FILE* open_bytes(const std::uint8_t* data, std::size_t size, std::vector<char>* storage) {
  std::FILE* stream = nullptr;
  if (size == 0) {
    // fmemopen refuses a zero-sized buffer on some C libraries.
    stream = std::fopen("/dev/null", "r");
  } else {
    storage->assign(data, data + size);
    stream = fmemopen(storage->data(), storage->size(), "r");
  }
  if (stream == nullptr) fail("cannot open an input stream");
  return stream;
}

void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  if (!detail.empty()) std::fprintf(stderr, "%s\n", detail.c_str());
  std::abort();
}

}  // namespace xas::fuzz
