int read_one(int);

void poll_once(void)
{
	int (*fp)(int);

	fp = read_one;
	fp(1);
}

/* fp here is no longer poll_once's variable: read_one calls nothing. */
#define read_one(x) fp(x)
