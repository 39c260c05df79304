#include <stdio.h>

/* Not printed: a macro's text starts at its #define line. */
#define LOG(msg) emit(msg)

/* A macro over several lines. */
#define TWICE(x) \
    do { emit(x); \
         emit(x); } while (0)
#define FLUSH emit("\n")

/* Writes one piece of text. */
static void emit(const char *s)
{
    fputs(s, stdout);
}

int main(void)
{
    LOG("a");
    TWICE("b");
    FLUSH;
    return 0;
}
