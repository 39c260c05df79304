static void helper(void)
{
}

static void read_word(void)
{
}

static void parse(void)
{
    read_word();
}

static void report(void)
{
    helper();
}

int main(void)
{
    parse();
    report();
    return 0;
}
