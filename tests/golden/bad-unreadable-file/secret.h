int in_header(void) { return 2; }
