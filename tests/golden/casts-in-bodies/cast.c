int fold(int c)
{
  return c + 32;
}

int keep(int c)
{
  return c;
}

int lower(int c)
{
  if ((unsigned char)c >= 'A' && (unsigned char)c <= 'Z')
    return fold(c);
  return keep(c);
}
