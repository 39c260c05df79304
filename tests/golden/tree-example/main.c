/*
 * main.c - rpn, a small reverse-Polish calculator. Each line of standard
 * input, such as "3 4 + 2 ^", is evaluated and the value left on top of
 * the stack is shown.
 */
#include <stdio.h>
#include <string.h>
#include "calc.h"

/* The value a line leaves behind. */
#define TOP_VALUE stack_peek()

static void quiet(double value);

/* Where results go: print_value(), or quiet() under -q. */
static void (*show)(double value) = print_value;

/* Prints one result the way a desk calculator shows it. */
void print_value(double value)
{
    printf("%g\n", value);
}

/* Shows nothing: under -q only the exit status tells. */
static void quiet(double value)
{
    (void)value;
}

int main(int argc, char **argv)
{
    char line[256];
    double value;
    int status = 0;

    if (argc > 1 && strcmp(argv[1], "-q") == 0)
        show = quiet;
    while (fgets(line, sizeof line, stdin) != NULL) {
        stack_clear();
        if (eval_line(line) < 0) {
            status = 1;
            continue;
        }
        value = TOP_VALUE;
        show(value);
    }
    return status;
}
