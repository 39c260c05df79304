/* Without a list the macro is not used: it stands in for the function. */
#ifdef NO_LIST
#define list_copy(p) ((void *)0)
#else
void *list_copy(struct node *p)
{
  return p ? list_copy(p->next) : p;
}
#endif

int list_len(struct node *p)
{
  return p ? 1 + list_len(p->next) : 0;
}
