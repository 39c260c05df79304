#include "util.h"
#include "local.h"
int main(void)
{
    return twice(1) + local();
}
