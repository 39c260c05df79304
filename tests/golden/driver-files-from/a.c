int a(void)
{
  return b();
}
