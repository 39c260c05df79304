/* Writes a message. */
int say(const char *fmt, ...)
    __attribute__((format(printf, 1, 2)));
int count(void)
{
  return tally(1);
}
int cold_path(int a) __attribute__((cold));
void *vmalloc_huge(unsigned long size, gfp_t gfp) __weak __alias(__vmalloc);
int __attribute__((cold)) rare(int);
int after_prototypes(void) { return 0; }

static void lock_all(void) __acquires(l) {
  take(1);
}

static void
unlock_all(void)
	__releases(l)
{
  drop(1);
}

static int __attribute__((unused)) spare(int x) { return tally(x); }
int checked(int x) __attribute__((unused)) { return x; }

my_t lookup(my_t key) __must_hold(l)
{
  return find(key);
}

bool __init __attribute((weak)) valid_size(unsigned long size)
{
  return size == 1;
}
