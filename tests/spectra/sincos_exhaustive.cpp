// Every float, through each vector kernel the CPU can run, against the C
// library's sincosf: prints the mismatches of each and fails on any. Its own
// target (make sincos-check), run by CI: it takes a minute on two cores.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "spectra/vector_sincos.h"

int main() {
  using namespace xas::simd;
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  int status = 0;
  for (Isa isa : {Isa::avx2, Isa::avx512}) {
    if (!cpu_has(isa)) {
      std::printf("%s: not offered by this CPU\n", isa_name(isa));
      continue;
    }
    std::vector<std::int64_t> bad(threads, 0);
    std::vector<std::thread> workers;
    constexpr std::uint64_t kBlock = 1 << 16;  // floats per piece
    for (unsigned t = 0; t < threads; ++t) {
      workers.emplace_back([&, t] {
        std::vector<float> x(kBlock);
        for (std::uint64_t start = t * kBlock; start < (1ULL << 32); start += threads * kBlock) {
          for (std::uint64_t i = 0; i < kBlock; ++i) {
            const std::uint32_t bits = static_cast<std::uint32_t>(start + i);
            std::memcpy(&x[i], &bits, sizeof bits);
          }
          bad[t] += mismatches(isa, x.data(), static_cast<std::int64_t>(kBlock));
        }
      });
    }
    for (std::thread& w : workers) w.join();
    std::int64_t total = 0;
    for (std::int64_t b : bad) total += b;
    std::printf("%s: %lld mismatches in sin and cos of all 4294967296 floats\n", isa_name(isa),
                static_cast<long long>(total));
    if (total != 0) status = 1;
  }
  return status;
}
