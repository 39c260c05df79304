int twice(void)
{
  return 1;
}

int main(void)
{
  return twice() + undefined();
}
