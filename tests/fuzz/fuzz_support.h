// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace xas::fuzz {

// A read-only stream over a copy of `size` bytes (an empty stream when size is
// 0). The copy lives in `storage`, which must outlive the stream.
std::FILE* open_bytes(const std::uint8_t* data, std::size_t size, std::vector<char>* storage);

// Reports a broken promise of the code under test and aborts, so that
// libFuzzer saves the input that caused it.
[[noreturn]] void fail(const char* what, const std::string& detail = "");

}  // namespace xas::fuzz
