#include "driver/run.h"

#include <sys/mman.h>

#include <new>

namespace xas {

void RunDeleter::operator()(Run* run) const {
  run->~Run();
  munmap(run, sizeof(Run));
}

RunPtr make_run(std::FILE* in, std::FILE* out, std::FILE* err) {
  void* memory = mmap(nullptr, sizeof(Run), PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  return RunPtr(new (memory) Run(in, out, err));
}

}  // namespace xas
