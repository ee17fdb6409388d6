// xasreduce: reduces one X-ray absorption spectrum to its edge parameters,
// EXAFS signal, Fourier transform and noise estimate.
#include <cstdio>

#include "driver/driver.h"
#include "driver/run.h"

int main() {
  // One instance of every record for the whole run, held in fixed arrays.
  xas::RunPtr run = xas::make_run(stdin, stdout, stderr);
  int status = xas::run_reduction(*run);
  run.reset();  // flushes and closes every result file
  return status;
}
