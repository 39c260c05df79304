#include "p%d\\x.h"
#include "q%s.h"
int main(void)
{
  return 0;
}
