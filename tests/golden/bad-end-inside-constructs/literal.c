int f_literal(void)
{
  return 1;
}
int g_literal(void)
{
  return puts("never closed);
}
int lost_literal(void) { return 2; }
