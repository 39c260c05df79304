int hidden(void)
{
  return 1;
}
