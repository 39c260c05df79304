extern "C" { 
int inside2(void)
{
  return 0;
}
}
