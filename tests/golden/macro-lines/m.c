#define NEG -1
#define BEGIN {
#define LIMIT 100
#define EMPTY_ARGS()
#define MAX(a,b) ((a)>(b)?(a):(b))
#define RESET do_reset()
#define LOCK(m) \
        mutex_lock(m)
#define F(x) /* nothing */
#define G(x) g(x) /* c */
#define ERR (-1)
#define printf(x) my_printf(x)

void do_reset(void)
{
}

void mutex_lock(int m)
{
}

int g(int x)
{
  return x;
}

void user(void)
{
  LOCK(1);
  RESET;
  G(NEG);
}
