#include "scanner/self_calls.h"

#include <algorithm>


#include "support/alloc.h"
#include "support/name_hash.h"
#include "tables/name_checks.h"
#include "tables/pattern.h"

namespace kavel {

self_call_watch g_self;

namespace {

// Two bits of the sieve for `name`, from the halves of one hash.
void probes(std::string_view name, size_t& a, size_t& b) {
  const uint64_t h = span_hash(name);
  const uint64_t mask = (uint64_t{1} << name_sieve::kBits) - 1;
  a = static_cast<size_t>(h & mask);
  b = static_cast<size_t>((h >> 32) & mask);
}

}  // namespace

void name_sieve::add(std::string_view name) {
  if (!bits_) {
    const size_t words = size_t{1} << (kBits - 6);
    bits_.reset(static_cast<uint64_t*>(std::calloc(words, sizeof(uint64_t))));
    if (!bits_)
      out_of_memory(static_cast<long long>(words * sizeof(uint64_t)));
  }
  size_t a, b;
  probes(name, a, b);
  bits_[a >> 6] |= uint64_t{1} << (a & 63);
  bits_[b >> 6] |= uint64_t{1} << (b & 63);
}

bool name_sieve::may_hold(std::string_view name) const {
  if (!bits_)
    return false;
  size_t a, b;
  probes(name, a, b);
  return (bits_[a >> 6] >> (a & 63) & 1) != 0 && (bits_[b >> 6] >> (b & 63) & 1) != 0;
}

void self_call_watch::note(const char* t, self_use use) {
  if (t[0] == name[0] && std::string_view(t) == name) {
    notes.uses |= use;
    if (use == kSelfPlainCode || use == kSelfPlainGroup)
      notes.bare++;
  } else if (has_wildcard(t)) {
    notes.uses |= kSelfEntry;  // a pattern may find the macro itself
  } else if (use != kSelfPlainCode && pointers.may_hold(t)) {
    notes.uses |= kSelfThroughPointer;
  }
}

void self_call_watch::close() {
  if (name != nullptr && record >= 0 && (notes.uses != 0 || notes.bare != 0)) {
    // Records are made in order, each read once.
    notes.record = record;
    by_record.push_back(notes);
  }
  name = nullptr;
  record = -1;
  notes = self_notes{};
}

namespace {

self_notes notes_of(int no) {
  const std::vector<self_notes>& v = g_self.by_record;
  auto at = std::lower_bound(v.begin(), v.end(), no,
                             [](const self_notes& n, int k) { return n.record < k; });
  return at != v.end() && at->record == no ? *at : self_notes{};
}

}  // namespace

uint32_t bare_uses(int no) {
  return notes_of(no).bare;
}

bool may_call_itself(int no, const char* name, bool first) {
  if (!first)
    return false;
  const uint8_t uses = notes_of(no).uses;
  if (uses & kSelfEntry)
    return true;
  if ((uses & kSelfPlainCode) && check_maccall(name))
    return true;
  // Inside a body a local variable may bear the name.
  if ((uses & kSelfPlainGroup) && ((uses & kSelfInBody) || g_self.pointers.may_hold(name)))
    return true;
  // A variable that holds the name calls it.
  return (uses & kSelfThroughPointer) && g_self.assigned.may_hold(name);
}

void reset_self_calls() {
  g_self = self_call_watch{};
}

}  // namespace kavel
