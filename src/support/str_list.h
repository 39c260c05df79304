// A singly linked list of heap strings with one shared positional iterator
// that walks forward from the first entry or backward from the last. The
// body printer collects a comment block backwards with it and prints it in
// file order.
#ifndef KAVEL_SUPPORT_STR_LIST_H_
#define KAVEL_SUPPORT_STR_LIST_H_

namespace kavel {

struct name_node {
  char* name = nullptr;       // heap copy owned by the node; null marks an empty node
  name_node* next = nullptr;  // null ends the list
};

// While non-zero, add_name refuses a text the list already holds.
extern int name_lst_dup_check;
// Puts the duplicate check back on and the shared walk at its start.
void reset_name_store();

// Empties `list` without freeing anything.
void name_init(name_node* list);
// Adds a copy of `text`; 0 when added (or already present with the check on).
int add_name(name_node* list, const char* text);
// mode 0 starts forward at the first entry, -1 backward at the last, any
// other value continues the last walk; null when none is left.
const char* get_name(name_node* list, int mode);
// Frees every node after the first and every text, leaving `list` empty.
void del_allname(name_node* list);

}  // namespace kavel

#endif  // KAVEL_SUPPORT_STR_LIST_H_
