int index(void) { return 0; }
int open(void) { return 1; }
int dbg_dump(void) { return 2; }
int main(void) { return index(); }
