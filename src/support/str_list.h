// A singly linked list of heap strings with a positional iterator of its
// own that walks forward from the first entry or backward from the last.
// The body printer collects a comment block backwards with it and prints it
// in file order.
#ifndef KAVEL_SUPPORT_STR_LIST_H_
#define KAVEL_SUPPORT_STR_LIST_H_

namespace kavel {

struct name_node {
  char* name = nullptr;       // heap copy owned by the node; null marks an empty node
  name_node* next = nullptr;  // null ends the list
};

// The list: its first node, whether it keeps its texts distinct, and where
// its walk stands.
struct name_list {
  name_node head;
  bool dup_check = true;  // add_name refuses a text the list already holds
  int walk_pos = 0;       // entry number the next get_name returns
  int walk_dir = 1;       // +1 forward, -1 backward
};

// Empties `list` without freeing anything; the walk and the check stay.
void name_init(name_list* list);
// Adds a copy of `text`; 0 when added (or already present with the check on).
int add_name(name_list* list, const char* text);
// mode 0 starts forward at the first entry, -1 backward at the last, any
// other value continues the list's last walk; null when none is left.
const char* get_name(name_list* list, int mode);
// Frees every node after the first and every text, leaving `list` empty.
void del_allname(name_list* list);

}  // namespace kavel

#endif  // KAVEL_SUPPORT_STR_LIST_H_
