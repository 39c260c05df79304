#include <stdio.h>

int mid(void)
{
    ext_a();
    printf("standard names are never callees\n");
    return ext_b();
}

int top(void)
{
    ext_a();
    ext_a();
    ext_b();
    mid();
    return ext_a();
}
