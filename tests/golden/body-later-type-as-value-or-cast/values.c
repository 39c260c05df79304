/* `word`, `u8` and `config` are declared types only in types.c, read
 * later: the second pass knows them, the first does not. Here they are
 * values, or the type of a cast after a qualifier. */
#define LOAD(p)	((const u8 *)fetch(p))

int poll(struct dev *d, int config)
{
	word n = count(d);

	if (ready(d) && config) {
		start(d);
	}
	for (word = 0; word < n; word++) {
		step(d, word);
	}
	return word * again(d) + done(d);
}

u8 *map_all(struct dev *d, void *p)
{
	u8 *q = (__force u8 *)map(p);

	q = (const u8 *)conv(q);
	d->flags = (volatile u8)rd(q) + sizeof(const u8) + (u8)size(p);
	return LOAD(q);
}
