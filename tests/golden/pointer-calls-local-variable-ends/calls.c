int square(int v)
{
  return v * v;
}

int op(int v)
{
  return v + 1;
}

int first(int v)
{
  int (*op)(int);

  op = square;
  return op(v);
}

int second(int v)
{
  return op(v);
}
