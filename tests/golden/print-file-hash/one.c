/* one.c's shared. */
int shared(void)
{
    return 1;
}

/* one.c's twice. */
int twice(void)
{
    return 10;
}
