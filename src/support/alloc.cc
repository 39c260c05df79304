// The allocation functions every table of the tool takes its strings from.
#include "support/alloc.h"

#include <cstdlib>
#include <cstring>

#include "support/message_texts.h"
#include "support/messages.h"

namespace kavel {

int32_t terminate_size = 2147483647;
void (*endfun)() = nullptr;
bool (*alloc_fail_hook)(long long size) = nullptr;

static void report_refusal(long long size) {
  if (size > 1000) {
    errmsg(kMsgNoMemoryK, static_cast<int>(size / 1024));
  } else {
    errmsg(kMsgNoMemory, static_cast<int>(size));
  }
}

[[noreturn]] static void die() {
  if (endfun) endfun();
  kavel_exit(1);
}

void out_of_memory(long long size) {
  report_refusal(size);
  die();
}

void* getmem(int32_t size) {
  void* block = nullptr;
  if (size >= 0 && !(alloc_fail_hook && alloc_fail_hook(size))) {
    block = malloc(size > 0 ? static_cast<size_t>(size) : 1);
  }
  if (block) {
    memset(block, 0, static_cast<size_t>(size));
    return block;
  }
  report_refusal(size);
  if (size >= terminate_size) return nullptr;
  die();
}

char* setstr(const char* text) {
  size_t len = strlen(text);
  char* copy = static_cast<char*>(getmem(static_cast<int32_t>(len + 3)));
  if (!copy) {
    errmsg(kMsgNoMemoryCopy);
    die();
  }
  memcpy(copy, text, len + 1);
  return copy;
}

char* addstr(char* text, const char* tail) {
  size_t size = strlen(text) + strlen(tail) + 1;
  char* grown = nullptr;
  if (!(alloc_fail_hook && alloc_fail_hook(static_cast<long long>(size)))) {
    grown = static_cast<char*>(realloc(text, size));
  }
  if (!grown) {
    errmsg(kMsgNoMemoryGrow);
    die();
  }
  strcat(grown, tail);
  return grown;
}

void freeMem(void* block) { free(block); }

}  // namespace kavel
