int early(void)
{
  return 1;
}

/* The table ƒ\ */
static const char *table = "ƒ\";

int late(void)
{
  return early();
}
