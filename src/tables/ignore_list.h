// Names that never count as functions: the standard C library and a few
// operator-like words, and whatever the user excludes with -r/-R ('!'
// re-admits). The first matching -r/-R entry decides.
#ifndef KAVEL_TABLES_IGNORE_LIST_H_
#define KAVEL_TABLES_IGNORE_LIST_H_

#include <cstddef>

#include "support/options.h"

namespace kavel {

constexpr int kIgnfunCount = 176;
// The built-in names in their fixed order, ended by a null entry.
extern const char* const ignfun_tab[kIgnfunCount + 1];

// The -r/-R entries as the checks read them, copied from the options: the
// entries given before the first question in pattern form, the later ones
// as written (their '*' and '?' match only themselves).
struct ignore_state {
  name_table entries;
  size_t taken = 0;    // entries of g_opt.ign_list copied so far
  bool asked = false;  // a question was answered: new entries stay as written
};
extern ignore_state g_ign;
void reset_ignore();

// 1 when `name` is excluded, 0 when not.
int check_ignfun(const char* name);

}  // namespace kavel

#endif  // KAVEL_TABLES_IGNORE_LIST_H_
