int f_macro(void)
{
  return CALL(1);
}
#define CALL(x) \
  g(x) \
