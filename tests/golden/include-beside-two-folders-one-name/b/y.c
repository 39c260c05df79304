#include "util.h"
int main_b(void) { return ub(); }
