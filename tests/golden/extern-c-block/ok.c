extern "C" {
int inside(void)
{
  return 0;
}
}
