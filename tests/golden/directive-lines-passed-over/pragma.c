/* Lines no rule handles must register nothing and open no literal. */
#if defined(_MSC_VER)
#pragma warning(disable: 4100)
#pragma warning(disable : 4127 4706)
#endif
#error this isn't reached, it's only here for old compilers
#line 12 "pragma.c"
#undef max
#ident "$Id: pragma.c$"
#
#pragma GCC diagnostic \
    ignored("-Wunused")

int first(void)
{
    return 1;
}

#warning don't use second(x) here
int second(int x)
{
#pragma omp parallel for
    return x;
}
