int twice(void)
{
  return 1;
}
