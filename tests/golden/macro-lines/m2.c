#define RESET do_reset()
#define RESET do_reset()
