static int grow(void)
{
    return 0;
}

void stack_push(int v)
{
    grow();
    (void)v;
}

int stack_pop(void)
{
    return 1;
}

int stack_peek(void)
{
    return 2;
}

void queue_put(int v)
{
    (void)v;
}
