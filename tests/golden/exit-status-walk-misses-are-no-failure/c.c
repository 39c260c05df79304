int main(void)
{
  return twice() + undefined();
}
