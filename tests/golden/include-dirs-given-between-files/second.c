#include "late.h"
#include "gone.h"
#include "gone.h"
#include <gone_too.h>

int second(void)
{
  return late() + first();
}
