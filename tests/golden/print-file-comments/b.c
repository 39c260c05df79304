/* The only one of b.c. */
int delta(void)
{
    return 4;
}
