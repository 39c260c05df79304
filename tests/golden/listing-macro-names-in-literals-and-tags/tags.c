/* Names in a string, a comment or a struct tag call nothing. */
#define to_node(p) container_of(p, struct to_node, link)
#define show(x) printk("show(" #x ")\n") /* not show(x) itself */

/* The call of cmp_of stands in a parameter after a type word. */
#define cmp_of(a, b) __pick(a, b, typeof(cmp_of(b, a)))

int g(struct to_node *n)
{
	show(n);
	return cmp_of(1, 2);
}
