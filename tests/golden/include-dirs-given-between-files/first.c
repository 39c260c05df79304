#include "late.h"
#include "gone.h"

int first(void)
{
  return late();
}
