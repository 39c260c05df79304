#include "local.h"
static int from_local(void)
{
  return 1;
}
