/* In a header found through -I. */
static int twice(int n)
{
    return 2 * n;
}
