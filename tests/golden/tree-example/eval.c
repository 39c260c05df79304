/*
 * eval.c - evaluates one line of input: a number is pushed, an operator
 * pops two operands and pushes its result.
 */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include "calc.h"

/* Every value goes through here, so a trace can be added in one place. */
#define PUSH_VALUE(v) stack_push(v)

/* Writes a warning; each part of the program has its own. */
static void warn(const char *what)
{
    fprintf(stderr, "eval: %s\n", what);
}

/*
 * Applies the operator written as `symbol` to the two topmost values.
 * Returns -1 when there is no such operator.
 */
static int apply(int symbol)
{
    binary_op op = find_op(symbol);
    double lhs, rhs;

    if (op == 0) {
        warn("unknown operator");
        return -1;
    }
    rhs = stack_pop();
    lhs = stack_pop();
    PUSH_VALUE(op(lhs, rhs));
    return 0;
}

/*
 * Evaluates one line. Returns the number of values left on the stack,
 * or -1 after an unknown operator.
 */
int eval_line(const char *line)
{
    char *end;

    while (*line != '\0') {
        if (isspace((unsigned char)*line)) {
            line++;
            continue;
        }
        if (isdigit((unsigned char)*line)) {
            PUSH_VALUE(strtod(line, &end));
            line = end;
            continue;
        }
        if (apply(*line) < 0)
            return -1;
        line++;
    }
    return stack_depth();
}
