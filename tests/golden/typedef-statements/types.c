typedef void (*callback_t)(int);
typedef int (compare_fn)(const void *, const void *);
typedef unsigned long ulong;
typedef struct node {
  struct node *next;
  void (*visit)(struct node *);
} node_t;

ulong count(node_t *n)
{
  ulong c = 0;
  while (n) {
    c++;
    n = n->next;
  }
  return c;
}

void walk(node_t *n, callback_t cb)
{
  cb((int)count(n));
}
