#define DECLARE_FLAG(x) static unsigned char x
int start(int a, int b)
{
	return a + b;
}

#define BEGIN_CALL(x) start(x,
int helper(void)
{
	return start(1, 2);
}

#define LOCK_NAMED(x) static struct lock x = lock_init(#x) /* a comment's
   lines belong to the replacement */
int user(void)
{
#define LOCAL_SUM(a) int a = start(
	return helper();
}

#define WITH_NOTE(x) start(x, // a note ends the replacement
int last(void)
{
	return user();
}
