int f_comment(void)
{
  return 1;
}
/* never closed
int lost_comment(void) { return 2; }
