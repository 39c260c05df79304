/*
 * stack.c - the operand stack. It never grows: a value pushed onto a full
 * stack is dropped with a warning, and an empty stack pops as 0.
 */
#include <stdio.h>
#include "calc.h"

static double values[STACK_MAX];
static int depth;

/* Writes a warning; each part of the program has its own. */
static void warn(const char *what)
{
    fprintf(stderr, "stack: %s\n", what);
}

/* Puts a value on top of the stack. */
void stack_push(double value)
{
    if (depth == STACK_MAX) {
        warn("full, value dropped");
        return;
    }
    values[depth++] = value;
}

/* Takes the top value off the stack. */
double stack_pop(void)
{
    if (depth == 0) {
        warn("empty");
        return 0.0;
    }
    return values[--depth];
}

/* The top value, left where it is. */
double stack_peek(void)
{
    return depth > 0 ? values[depth - 1] : 0.0;
}

int stack_depth(void)
{
    return depth;
}

/* Forgets every value. */
void stack_clear(void)
{
    depth = 0;
}
