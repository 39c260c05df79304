static int from_sub(void) { return 5; }
