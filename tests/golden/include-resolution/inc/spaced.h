static int from_spaced(void) { return 4; }
