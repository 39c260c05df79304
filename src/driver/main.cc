// Process entry: everything else lives in the library so tests and the fuzz
// targets drive the same code.
#include <new>

#include "driver/kavelt_main.h"
#include "support/alloc.h"

int main(int argc, char** argv) {
  try {
    kavel::reset_all();
    return kavel::kavelt_main(argc, argv);
  } catch (const std::bad_alloc&) {
    kavel::out_of_memory(0);
  }
}
