__printf(1, 2) void report(const char *fmt, ...)
{
  helper();
}

static int __init ext4_init_fs(void)
{
  return 0;
}

static void __exit ext4_exit_fs(void)
{
}

module_init(ext4_init_fs)
module_exit(ext4_exit_fs)

int old_style(a, b, cmp)
  int a;
  char *b; /* the text */
  int (*cmp)();
{
  return a;
}

implicit(x)
{
  return x;
}

DEFINE_HOOK(first, 3)
{
  return 0;
}

static int after(void)
{
  return old_style(1, "", 0);
}
