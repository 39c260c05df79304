int c(void)
{
  return a();
}
