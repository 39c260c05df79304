#include "util.h"
int main_a(void) { return ua(); }
