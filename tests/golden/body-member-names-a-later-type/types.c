typedef char *buf;
typedef int len;
typedef int count;
typedef int flags;
