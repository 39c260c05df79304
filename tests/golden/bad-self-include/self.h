#include "self.h"
#include "self.h"
int in_self(void)
{
  return 1;
}
