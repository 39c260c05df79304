#include "a.h"
#include "c.h"
#include "none.h"
int main(void)
{
  return in_a() + in_b() + in_c();
}
