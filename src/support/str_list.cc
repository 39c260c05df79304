// The first node belongs to the caller; every further node is the list's.
#include "support/str_list.h"

#include <cstring>
#include <new>

#include "support/alloc.h"

namespace kavel {

void name_init(name_list* list) {
  list->head.name = nullptr;
  list->head.next = nullptr;
}

int add_name(name_list* list, const char* text) {
  name_node* empty = nullptr;
  name_node* last = &list->head;
  for (name_node* n = &list->head; n; n = n->next) {
    last = n;
    if (!n->name) {
      if (!empty) empty = n;
    } else if (list->dup_check && strcmp(n->name, text) == 0) {
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

const char* get_name(name_list* list, int mode) {
  int& walk_pos = list->walk_pos;
  if (mode == 0) {
    walk_pos = 0;
    list->walk_dir = 1;
  } else if (mode == -1) {
    int nodes = 0;
    for (name_node* n = &list->head; n; n = n->next) nodes++;
    walk_pos = nodes - 1;
    list->walk_dir = -1;
  }
  int number = 0;
  for (name_node* n = &list->head; n; n = n->next) {
    if (!n->name) continue;
    if (number == walk_pos) {
      walk_pos += list->walk_dir;
      return n->name;
    }
    number++;
  }
  return nullptr;
}

void del_allname(name_list* list) {
  name_node* n = list->head.next;
  while (n) {
    name_node* after = n->next;
    freeMem(n->name);
    freeMem(n);
    n = after;
  }
  freeMem(list->head.name);
  list->head.name = nullptr;
  list->head.next = nullptr;
}

}  // namespace kavel
