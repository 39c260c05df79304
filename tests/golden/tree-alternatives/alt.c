int g(void)
{
    return 1;
}

#ifdef FAST
int f(void)
{
    return g();
}
#else
int f(void)
{
    return g() + 1;
}
#endif
