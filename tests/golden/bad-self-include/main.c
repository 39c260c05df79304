#include "self.h"
int main(void)
{
  return in_self();
}
