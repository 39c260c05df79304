#include "nested.h"
static int from_deep(void) { return 2; }
