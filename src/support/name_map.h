// The general name index: names to values in one open-addressed table.
#ifndef KAVEL_SUPPORT_NAME_MAP_H_
#define KAVEL_SUPPORT_NAME_MAP_H_

#include <cstdint>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "support/name_hash.h"

namespace kavel {

// A map from names to values, hashed with span_hash so that a token can be
// looked up as it stands, without a std::string key and without measuring
// or hashing it twice. Entries are removed only all at once and keep their address.
template <typename V>
class name_map {
 public:
  struct entry {
    std::string name;
    uint64_t hash;
    V value;
  };

  // The value of `name`, made (value-initialised) when absent.
  V& operator[](std::string_view name) { return at(name, span_hash(name)); }
  V& at(std::string_view name, uint64_t hash) {
    if (V* v = find(name, hash))
      return *v;
    if (2 * (entries_.size() + 1) > slots_.size())
      grow();
    entries_.push_back(entry{std::string(name), hash, V()});
    place(static_cast<uint32_t>(entries_.size() - 1), hash);
    return entries_.back().value;
  }
  // Null when `name` (whose span_hash is `hash`) has no entry.
  V* find(std::string_view name, uint64_t hash) {
    entry* e = find_entry(name, hash);
    return e == nullptr ? nullptr : &e->value;
  }
  entry* find_entry(std::string_view name, uint64_t hash) {
    if (slots_.empty())
      return nullptr;
    const size_t mask = slots_.size() - 1;
    const uint32_t tag = static_cast<uint32_t>(hash >> 32);
    for (size_t i = hash_slot(hash, mask);; i = (i + 1) & mask) {
      const slot& s = slots_[i];
      if (s.at == 0)
        return nullptr;
      if (s.tag == tag) {
        entry& e = entries_[s.at - 1];
        if (e.name.size() == name.size() &&
            std::memcmp(e.name.data(), name.data(), name.size()) == 0)
          return &e;
      }
    }
  }
  V* find(std::string_view name) { return find(name, span_hash(name)); }
  size_t size() const { return entries_.size(); }
  void clear() {
    entries_.clear();
    slots_.clear();
  }

 private:
  // A slot holds the entry number + 1 (0 free) and the hash's high half,
  // which turns nearly every other name away without reading the entry.
  struct slot {
    uint32_t at;
    uint32_t tag;
  };
  void place(uint32_t k, uint64_t hash) {
    const size_t mask = slots_.size() - 1;
    size_t i = hash_slot(hash, mask);
    while (slots_[i].at != 0)
      i = (i + 1) & mask;
    slots_[i] = slot{k + 1, static_cast<uint32_t>(hash >> 32)};
  }
  void grow() {
    slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), slot{0, 0});
    for (size_t k = 0; k < entries_.size(); ++k)
      place(static_cast<uint32_t>(k), entries_[k].hash);
  }
  std::deque<entry> entries_;
  std::vector<slot> slots_;
};

}  // namespace kavel

#endif  // KAVEL_SUPPORT_NAME_MAP_H_
