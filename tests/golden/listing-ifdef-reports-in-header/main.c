#include "pick.h"

#ifdef ARGS
int main(int argc, char **argv)
{
#else
int main(void)
{
#endif
  if (pick(1)) {
    return 1;
  }
  return 0;
}
