/*
 * calc.h - declarations shared by the parts of rpn, a small
 * reverse-Polish calculator.
 */
#ifndef CALC_H
#define CALC_H

#define STACK_MAX 32

/* An operator of two operands, as found by find_op(). */
typedef double (*binary_op)(double lhs, double rhs);

void stack_push(double value);
double stack_pop(void);
double stack_peek(void);
int stack_depth(void);
void stack_clear(void);

binary_op find_op(int symbol);
double power();

int eval_line(const char *line);
void print_value(double value);

#endif
