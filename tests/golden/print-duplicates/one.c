/* one.c's shared. */
int shared(void)
{
    return 1;
}

int caller(void)
{
    return shared() + only();
}
