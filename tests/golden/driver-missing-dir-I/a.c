/* Entry point. */
int main(void)
{
  return 0;
}
