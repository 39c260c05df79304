/* Printed first, on its own: no caller comment. */
static int helper(int n)
{
    return n * 2;
}

static int step(int n)
{
    return n + 1;
}

static int setup(void)
{
    return step(0);
}

static int run(int n)
{
    return helper(step(n));
}

/* Named in the list and then walked: printed once. */
int main(void)
{
    int n = setup();

    return run(n);
}
