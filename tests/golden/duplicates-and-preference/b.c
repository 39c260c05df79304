int shared(void)
{
  return 2;
}
