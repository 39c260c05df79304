static int in_b(void) { return 2; }
