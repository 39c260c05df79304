#ifdef CONFIG_X
/* The real one. */
static void flush(int n)
{
  drain(n);
}
#else
static inline void flush(int n) {}
#endif

#ifdef OMIT_COUNT
# define count_open(X) tally(X)
#else
int count_open(int x);
#endif

void drain(int n)
{
}

int main(void)
{
  flush(1);
  return count_open(2);
}

#ifndef OMIT_COUNT
/* Counts. */
int count_open(int x)
{
  return tally(x);
}
#endif
