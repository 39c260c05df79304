/* Complete. */
int whole(void)
{
    return 1;
}

/* The file ends inside this body. */
int cut_off(void)
{
    if (whole()) {
        return 2;
    }
