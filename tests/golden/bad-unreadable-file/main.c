#include "secret.h"
int main(void)
{
  return hidden();
}
