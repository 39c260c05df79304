int util_b(int x)
{
  return x * 2;
}

int helper_b(void)
{
  return util_b(3);
}
