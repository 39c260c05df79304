struct ops {
  int (*open)(const char *);
  void (*close)(int);
  int size;
};

static int table[] = { 1, sizeof(struct ops), 3 };

struct ops default_ops = {
  my_open,
  my_close,
  sizeof(int)
};

struct point { int x, y; } origin = { 0, 0 };

int my_open(const char *name)
{
  return name != 0;
}

void my_close(int fd)
{
  struct ops local = { my_open, my_close, f(fd)->n };
  (void)local;
}
