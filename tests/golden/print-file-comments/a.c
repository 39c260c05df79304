/* The first of a.c. */
int alpha(void)
{
    return 1;
}

/* The second of a.c. */
int beta(void)
{
    return alpha() + 1;
}

/* The third of a.c. */
int gamma(void)
{
    return 3;
}
