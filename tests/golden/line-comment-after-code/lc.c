int one(void)
{
  return 1;
} // end of one

/* Two. */
int two(void)
{
  return 2; // two
}
