/* The one that does the work. */
int helper(int x)
{
  return x + 1;
}
