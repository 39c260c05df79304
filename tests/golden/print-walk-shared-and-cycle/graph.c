/* The root: calls b, then c. */
int a(int n)
{
    b(n);
    return c(n);
}

/* Calls c, which a calls too, and d. */
int b(int n)
{
    c(n);
    return d(n);
}

/* Calls back up to a, itself and e. */
int c(int n)
{
    if (n > 10)
        return a(n - 1);
    if (n > 5)
        return c(n - 1);
    return e(n);
}

/* Calls back up to b. */
int d(int n)
{
    return n > 0 ? b(n - 1) : 0;
}

int e(int n)
{
    return n;
}

/* Not below a: printed only by its own entry. */
int unused(int n)
{
    return e(n) + d(n);
}
