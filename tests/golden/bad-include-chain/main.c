#include "h0.h"
int main(void)
{
  return in_h0() + in_h4999();
}
