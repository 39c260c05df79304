static int ub(void) { return 2; }
