int f(void)
{
  return 3;
}
