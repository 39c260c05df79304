int shared(void)
{
  return 1;
}
int only_a(void) { return 0; }
