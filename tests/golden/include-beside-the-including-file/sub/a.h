#include "b.h"
static int in_a(void) { return 1; }
