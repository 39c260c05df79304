static int in_c(void) { return 3; }
