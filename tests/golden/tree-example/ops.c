/*
 * ops.c - the arithmetic operators, and the lookup from an operator's
 * symbol to the function that computes it.
 */
#include "calc.h"

static double add(double lhs, double rhs)
{
    return lhs + rhs;
}

static double subtract(double lhs, double rhs)
{
    return lhs - rhs;
}

static double multiply(double lhs, double rhs)
{
    return lhs * rhs;
}

/* Division by zero gives zero rather than infinity. */
static double divide(double lhs, double rhs)
{
    if (rhs == 0.0)
        return 0.0;
    return lhs / rhs;
}

/* '^' raises to a whole power: the exponent is truncated. */
static double raise_to(double lhs, double rhs)
{
    return power(lhs, (int)rhs);
}

/*
 * power: base to the exponent-th power by repeated multiplication.
 * Kept in the old style it was first written in.
 */
double power(base, exponent)
double base;
int exponent;
{
    double result = 1.0;

    while (exponent-- > 0)
        result = multiply(result, base);
    return result;
}

/* The operator for a symbol, or a null pointer when there is none. */
binary_op find_op(int symbol)
{
    switch (symbol) {
    case '+': return add;
    case '-': return subtract;
    case '*': return multiply;
    case '/': return divide;
    case '^': return raise_to;
    }
    return 0;
}
