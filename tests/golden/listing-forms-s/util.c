#include <stdio.h>
#include "util.h"

static int helper(int x)
{
    return x * 2;
}

void show(n, name)
int n;
char *name;
{
    printf("%s %d\n", name, helper(n));
}
