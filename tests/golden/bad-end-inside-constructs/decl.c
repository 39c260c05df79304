int f_decl(void)
{
  return 1;
}
static int table[] = {
  1, 2,
