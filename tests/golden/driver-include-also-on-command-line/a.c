#include "b.h"

int main(void)
{
  return from_header();
}
