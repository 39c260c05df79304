/* The call of my_abs stands after a type word, which pass 1 passes over. */
#define my_abs(x) _Generic((x), float: my_fabsf(x), double: my_abs(x), long double: my_absl(x))

int g(void)
{
	return my_abs(-1.0);
}
