// Process entry: everything else lives in the library so tests and the fuzz
// targets drive the same code.
#include <cstdio>
#include <new>

#include "driver/kavelt_main.h"
#include "support/alloc.h"

namespace {
// A listing of a large code base is many short lines; one big buffer keeps
// them from costing a write each. It must outlive the final flush at exit.
char stdout_buf[1 << 16];
}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, stdout_buf, _IOFBF, sizeof stdout_buf);
  try {
    kavel::reset_all();
    return kavel::kavelt_main(argc, argv);
  } catch (const std::bad_alloc&) {
    kavel::out_of_memory(0);
  }
}
