/* In a header found in the current folder. */
static int local(void)
{
    return 0;
}
