static void visit_one(int v);

/* Defined before the body that passes it a callback. */
static void apply(int *list, int n, void (*visit)(int))
{
  while (n-- > 0)
    (*visit)(*list++);
}

int main(void)
{
  int list[3] = { 1, 2, 3 };
  apply(list, 3, visit_one);
  return 0;
}

static void visit_one(int v)
{
}
