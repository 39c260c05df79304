#define CALL(x) g(x)
int f(void)
{
  return CALL(1);
}
int g(int a)
{
  return a;
}
