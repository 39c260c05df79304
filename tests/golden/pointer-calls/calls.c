static int (*handler)(int);
static void (*notify)(const char *);

int on_even(int v)
{
  return v / 2;
}

int on_odd(int v)
{
  return 3 * v + 1;
}

void say(const char *s)
{
}

int run(int v)
{
  handler = &on_even;
  if (v & 1)
    handler = on_odd;
  notify = say;
  notify("step");
  return (*handler)(v);
}
