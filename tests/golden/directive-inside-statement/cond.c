/* A conditional line in the middle of a statement inside a body: the
** #endif must close the #if that the analysis of the statement met. */
static int setup(int y)
{
  int x =
#ifdef SQLITE_FOO
    foo(y);
#else
    bar(y);
#endif
  if( x ){
    x = baz(y);
  }
  return x;
}

static int after(void)
{
  return setup(2);
}

int last(int a,
#ifdef WIDE
         long b
#else
         int b
#endif
         )
{
  return a + b;
}
