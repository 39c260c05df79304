int util_a(int x)
{
  return x + 1;
}

int main(void)
{
  return util_a(1) + util_b(2);
}
