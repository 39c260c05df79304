#ifndef UTIL_H
#define UTIL_H
void show(int n, char *name);
static inline int twice(int v) { return v + v; }
#endif
