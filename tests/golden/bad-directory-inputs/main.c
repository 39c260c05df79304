#include "dir"
#include "x.h"
int main(void)
{
  return ok();
}
