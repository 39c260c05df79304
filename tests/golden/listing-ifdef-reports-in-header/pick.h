#ifdef WIDE
static int pick(long a)
{
#else
static int pick(int a)
{
#endif
  return a;
}
