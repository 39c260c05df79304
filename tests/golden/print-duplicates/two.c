/* two.c's shared. */
int shared(void)
{
    return 2;
}

/* Defined once: printed below caller. */
int only(void)
{
    return 3;
}

int other(void)
{
    return shared();
}
