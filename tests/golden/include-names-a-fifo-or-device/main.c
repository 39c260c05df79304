#include "pipe.h"
#include "zero"
#include "null"
int main(void)
{
  return 0;
}
