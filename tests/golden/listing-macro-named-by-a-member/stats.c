/* A member named as a function is passed to that function: no call of the
 * macro min, which b.c defines later. */
int min(int a, int b);

struct range { int min; int max; };

void range_merge(struct range *dst, const struct range *src)
{
	dst->min = min(dst->min, src->min);
}
