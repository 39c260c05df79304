int f(void)
{
  return 1;
}

int g(void)
{
  return 2;
}
