int f_args(void)
{
  return 1;
}
int g_args(int a,
           int b
