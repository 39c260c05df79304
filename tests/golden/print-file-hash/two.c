/* two.c's shared. */
int shared(void)
{
    return 2;
}

/* Defined once: any file part prints it. */
int only(void)
{
    return 3;
}

/* two.c's twice. */
int twice(void)
{
    return 20;
}
