static int ua(void) { return 1; }
