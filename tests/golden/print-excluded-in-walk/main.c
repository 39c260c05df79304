void helper(int n);
static int run(void (*fn)(int));

int main(void)
{
    return run(helper);
}

/* Gets helper as an argument, so it counts as calling it. */
static int run(void (*fn)(int))
{
    return fn != 0;
}
