/* Excluded by -r: walked through, never printed. */
void helper(int n)
{
    leaf(n);
}

/* Below the excluded helper. */
void leaf(int n)
{
    (void)n;
}
