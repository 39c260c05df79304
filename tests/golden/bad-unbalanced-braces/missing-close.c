int h(int x)
{
  if (x) {
    return 1;
}
int k(void)
{
  return h(0);
}
