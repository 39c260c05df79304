// Names that never count as functions: the standard C library and a few
// operator-like words, and whatever the user excludes with -r/-R ('!'
// re-admits). The first matching -r/-R entry decides.
#ifndef KAVEL_TABLES_IGNORE_LIST_H_
#define KAVEL_TABLES_IGNORE_LIST_H_

namespace kavel {

constexpr int kIgnfunCount = 176;
// The built-in names in their fixed order, ended by a null entry.
extern const char* const ignfun_tab[kIgnfunCount + 1];

struct ignore_state {
  int ign_conv_done = 0;  // ign_list entries read before the first question are in pattern form
};
extern ignore_state g_ign;
void reset_ignore();

// 1 when `name` is excluded, 0 when not. The first call converts ign_list.
int check_ignfun(const char* name);

}  // namespace kavel

#endif  // KAVEL_TABLES_IGNORE_LIST_H_
