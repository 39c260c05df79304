// Heap allocation that never hands a caller a failed block: when the heap
// refuses, a message is written and the run ends with status 1.
#ifndef KAVEL_SUPPORT_ALLOC_H_
#define KAVEL_SUPPORT_ALLOC_H_

#include <cstdint>

namespace kavel {

// A failed getmem of at least this many bytes returns null after its message
// instead of ending the run.
extern int32_t terminate_size;
// Called, when set, just before the fatal exit of an allocation function.
extern void (*endfun)();

// A zero-filled block of exactly `size` bytes.
void* getmem(int32_t size);
// A heap copy of `text` followed by its terminator and two more zero bytes.
char* setstr(const char* text);
// Resizes the heap string `text` and appends `tail`; use the returned pointer.
char* addstr(char* text, const char* tail);
// Releases `block`; null is ignored.
void freeMem(void* block);

// Writes the allocation-failure message for a request of `size` bytes, as
// getmem does, and ends the run. The one place std::bad_alloc ends up.
[[noreturn]] void out_of_memory(long long size);

// The seam tests use to make the heap refuse: when set, it is asked before
// every getmem/addstr request and a true answer counts as a refusal.
extern bool (*alloc_fail_hook)(long long size);

}  // namespace kavel

#endif  // KAVEL_SUPPORT_ALLOC_H_
