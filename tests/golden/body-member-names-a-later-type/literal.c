/* The members and the value in the compound literal and the member in
 * poll are names that only types.c, read later, declares as types: the
 * second pass knows them, the first does not. */
#ifdef CONFIG_COMPAT
static int compat_ioctl(struct msg32 *u, struct msg *m)
{
	m[0] = (struct msg) {
		.buf = compat_ptr(u->buf),
		.len = u->len - count,
	};
	return submit(m);
}
#endif

int next_fn(void)
{
	return after();
}

int poll(struct msg32 *u)
{
	if (u->flags & 1) {
		flush(u);
	}
	return 0;
}
