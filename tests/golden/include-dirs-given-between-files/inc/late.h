int late(void)
{
  return 1;
}
