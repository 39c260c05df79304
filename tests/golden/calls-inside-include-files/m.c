#include "util.h"

int main(void)
{
  return twice(1) + TRIPLE(2);
}
