int helper(int x);

static inline int twice(int x) { return helper(x) * 2; }

#define TRIPLE(x) helper(x) * 3
