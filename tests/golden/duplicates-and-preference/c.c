int shared(void)
{
  return 3;
}
int index(void) { return 4; }
