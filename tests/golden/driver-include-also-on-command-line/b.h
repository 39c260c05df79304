int from_header(void)
{
  return 2;
}
