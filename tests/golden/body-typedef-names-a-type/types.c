int setup(void)
{
  typedef int handler_t;
  return 0;
}

static handler_t
pick(int a)
{
  return a;
}

int run(void)
{
  handler_t (*fp)(int);
  fp = pick;
  return fp(1);
}
