// The first node belongs to the caller; every further node is the list's.
#include "support/str_list.h"

#include <cstring>
#include <new>

#include "support/alloc.h"

namespace kavel {

int name_lst_dup_check = 1;

namespace {
int walk_pos = 0;  // entry number the next get_name returns
int walk_dir = 1;  // +1 forward, -1 backward
}  // namespace

void reset_name_store() {
  name_lst_dup_check = 1;
  walk_pos = 0;
  walk_dir = 1;
}

void name_init(name_node* list) {
  list->name = nullptr;
  list->next = nullptr;
}

int add_name(name_node* list, const char* text) {
  name_node* empty = nullptr;
  name_node* last = list;
  for (name_node* n = list; n; n = n->next) {
    last = n;
    if (!n->name) {
      if (!empty) empty = n;
    } else if (name_lst_dup_check && strcmp(n->name, text) == 0) {
      return 0;
    }
  }
  if (empty) {
    empty->name = setstr(text);
    return 0;
  }
  void* block = getmem(sizeof(name_node));
  if (!block) return -1;
  name_node* node = new (block) name_node;
  node->name = setstr(text);
  last->next = node;
  return 0;
}

const char* get_name(name_node* list, int mode) {
  if (mode == 0) {
    walk_pos = 0;
    walk_dir = 1;
  } else if (mode == -1) {
    int nodes = 0;
    for (name_node* n = list; n; n = n->next) nodes++;
    walk_pos = nodes - 1;
    walk_dir = -1;
  }
  int number = 0;
  for (name_node* n = list; n; n = n->next) {
    if (!n->name) continue;
    if (number == walk_pos) {
      walk_pos += walk_dir;
      return n->name;
    }
    number++;
  }
  return nullptr;
}

void del_allname(name_node* list) {
  name_node* n = list->next;
  while (n) {
    name_node* after = n->next;
    freeMem(n->name);
    freeMem(n);
    n = after;
  }
  freeMem(list->name);
  list->name = nullptr;
  list->next = nullptr;
}

}  // namespace kavel
