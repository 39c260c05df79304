/* Entry point of the demo. */
#include "util.h"

static int helper(int x)
{
    return x + 1;
}

int main(int argc, char **argv)
{
    int n = helper(argc);
    show(n, argv[0]);
    return 0;
}
