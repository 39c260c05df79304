# include "spaced.h"
static int from_nested(void) { return 3; }
