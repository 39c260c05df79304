int twice(void)
{
  return 2;
}
