
/*
 * counter.c - with -g everything between two functions belongs to the
 * text of the second one.
 */
#include <stdio.h>

static int count;

/* Counts one. */
static void bump(void)
{
    count++;
}
#define LIMIT 3
/* A comment and a declaration between two functions. */
static int seen;

int main(void)
{
    while (count < LIMIT)
        bump();
    seen = count;
    return 0;
}


int tail(void)
{
    return seen;
}
