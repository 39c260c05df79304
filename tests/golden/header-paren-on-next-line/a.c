/* GNU style: the parameter list begins the line after the name. */
static ssize_t
wdm_write
(struct file *file, const char *buf)
{
	return copy(buf);
}

static int k
(int a)
{
	return helper(a);
}

int helper(int a)
{
	return a;
}

/* Inside a body a word at a line's end may be a statement macro. */
int copy(const char *buf)
{
	ARG_FETCH
	(void)buf;
	return k(1);
}
