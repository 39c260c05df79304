#include <stddef.h>

/* Copies, or ends the run. */
size_t
strcpy_or_abort (void *dst, const char *src)
{
  return 0;
}

static noinline_for_stack bool
ready (void)
{
  return strcpy_or_abort (0, "x") > 0;
}

EXPORT_SYMBOL(ready);
uint32_t *
table_at (int k)
{
  return NULL;
}

size_t /* the count */
counted (void)
{
  return 1;
}
