// The general name index: names to values in one open-addressed table.
#ifndef KAVEL_SUPPORT_NAME_MAP_H_
#define KAVEL_SUPPORT_NAME_MAP_H_

#include <cassert>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/name_hash.h"
#include "support/text_arena.h"

namespace kavel {

// A map from names to values, hashed with span_hash so that a token can be
// looked up as it stands, without a std::string key and without measuring
// or hashing it twice. Entries are removed only all at once and keep their address.
template <typename V>
class name_map {
 public:
  // The name is kept, NUL-terminated, in the map's own arena: no string
  // object and no allocation of its own for each entry. Names hold no NUL
  // byte (they are C strings to every reader). Neither their hash nor their
  // length is kept: growing the slots measures and hashes the names again,
  // which costs less than eight bytes an entry on a large tree.
  struct entry {
    const char* name;
    V value;
    std::string_view key() const { return name; }
  };

  // The value of `name`, made (value-initialised) when absent.
  V& operator[](std::string_view name) { return at(name, span_hash(name)); }
  V& at(std::string_view name, uint64_t hash) { return make_entry(name, hash).value; }
  // The entry of `name`, made when absent.
  entry& make_entry(std::string_view name, uint64_t hash) {
    if (entry* e = find_entry(name, hash))
      return *e;
    // Up to three quarters full: the tag turns most other names away, so
    // the longer runs cost little, and the slots are the map's largest part.
    if (4 * (count_ + 1) > 3 * slots_.size())
      grow();
    if (count_ / kChunk == chunks_.size())
      chunks_.emplace_back(new entry[kChunk]());
    assert(std::memchr(name.data(), 0, name.size()) == nullptr);
    entry& e = item(count_);
    e.name = names_.add(name);
    e.value = V();
    place(static_cast<uint32_t>(count_), hash, name.size());
    ++count_;
    return e;
  }
  // Null when `name` (whose span_hash is `hash`) has no entry.
  V* find(std::string_view name, uint64_t hash) {
    entry* e = find_entry(name, hash);
    return e == nullptr ? nullptr : &e->value;
  }
  const V* find(std::string_view name, uint64_t hash) const {
    const entry* e = find_entry(name, hash);
    return e == nullptr ? nullptr : &e->value;
  }
  entry* find_entry(std::string_view name, uint64_t hash) const {
    if (slots_.empty())
      return nullptr;
    const size_t mask = slots_.size() - 1;
    const uint32_t tag = tag_of(hash, name.size());
    for (size_t i = hash_slot(hash, mask);; i = (i + 1) & mask) {
      const slot& s = slots_[i];
      if (s.at == 0)
        return nullptr;
      if (s.tag == tag) {
        entry& e = item(s.at - 1);
        if (same_name(e.name, name))
          return &e;
      }
    }
  }
  V* find(std::string_view name) { return find(name, span_hash(name)); }
  const V* find(std::string_view name) const { return find(name, span_hash(name)); }
  // The number of the entry of `name` (entry_at's), made when absent.
  uint32_t number(std::string_view name, uint64_t hash) {
    if (!slots_.empty()) {
      const size_t mask = slots_.size() - 1;
      const uint32_t tag = tag_of(hash, name.size());
      for (size_t i = hash_slot(hash, mask); slots_[i].at != 0; i = (i + 1) & mask) {
        const slot& s = slots_[i];
        if (s.tag == tag && same_name(item(s.at - 1).name, name))
          return s.at - 1;
      }
    }
    make_entry(name, hash);
    return static_cast<uint32_t>(count_ - 1);
  }
  // The entry made `k`-th: entries are numbered in the order they came.
  const entry& entry_at(size_t k) const { return item(k); }
  size_t size() const { return count_; }
  // Forgets every entry. The first chunk, the slots' room and the first
  // block of names stay for the next entries: a table emptied at every
  // function body and filled again allocates nothing.
  void clear() {
    if (chunks_.size() > 1)
      chunks_.resize(1);
    for (size_t k = 0; k < count_ && k < kChunk; ++k)
      chunks_[0][k].value = V();
    slots_.clear();
    names_.reuse();
    count_ = 0;
  }
  name_map() = default;
  name_map(name_map&&) = default;
  name_map& operator=(name_map&&) = default;
  name_map(const name_map& o) {
    for (size_t k = 0; k < o.count_; ++k) {
      const entry& e = o.item(k);
      (*this)[e.key()] = e.value;
    }
  }
  name_map& operator=(const name_map& o) {
    if (this != &o)
      *this = name_map(o);
    return *this;
  }

 private:
  // A slot holds the entry number + 1 (0 free) and a tag: 24 bits of the
  // hash's high half, which turn nearly every other name away without
  // reading the entry, and the name's length up to kLongName.
  struct slot {
    uint32_t at;
    uint32_t tag;
  };
  static constexpr uint32_t kLongName = 255;
  static uint32_t tag_of(uint64_t hash, size_t size) {
    const uint32_t len = size < kLongName ? static_cast<uint32_t>(size) : kLongName;
    return (static_cast<uint32_t>(hash >> 32) & ~kLongName) | len;
  }
  // Whether the entry's name `own` is `name`, whose tag it has: below
  // kLongName the tag tells the lengths are equal, so the bytes compared
  // are within both.
  static bool same_name(const char* own, std::string_view name) {
    if (name.size() >= kLongName && strnlen(own, name.size() + 1) != name.size())
      return false;
    return std::memcmp(own, name.data(), name.size()) == 0;
  }
  void place(uint32_t k, uint64_t hash, size_t size) {
    const size_t mask = slots_.size() - 1;
    size_t i = hash_slot(hash, mask);
    while (slots_[i].at != 0)
      i = (i + 1) & mask;
    slots_[i] = slot{k + 1, tag_of(hash, size)};
  }
  void grow() {
    slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), slot{0, 0});
    for (size_t k = 0; k < count_; ++k) {
      const std::string_view name = item(k).key();
      place(static_cast<uint32_t>(k), span_hash(name), name.size());
    }
  }
  // Entries live in chunks of kChunk that never move, so an entry keeps its
  // address; a chunk is found with a shift, not a division.
  static constexpr size_t kChunk = 64;
  static constexpr size_t kChunkMask = kChunk - 1;
  entry& item(size_t k) const { return chunks_[k / kChunk][k & kChunkMask]; }
  std::vector<std::unique_ptr<entry[]>> chunks_;
  size_t count_ = 0;
  std::vector<slot> slots_;
  text_arena names_;
};

// How the names of a table begin: a flag for each first byte, and a bit
// for each pair of first two bytes (the terminator stands in for the second
// byte of a one-byte name). Most tokens looked up in a table begin as none
// of its names do: they are turned away on a load or two, before the token
// is measured or hashed. Built at compile time for a fixed word list, so a
// check pays no guard of a first use.
class name_starts {
 public:
  constexpr name_starts() = default;
  // The starts of the words of `words`, a list ended by a null entry.
  constexpr explicit name_starts(const char* const* words) {
    for (; *words != nullptr; ++words)
      add(*words);
  }
  // Adds the start of the non-empty `name`.
  constexpr void add(const char* name) {
    firsts_[static_cast<unsigned char>(name[0])] = true;
    set(pair(name));
  }
  // Lets every token that begins with `c` through: a one-byte name is a
  // prefix of all of them.
  constexpr void add_first(unsigned char c) {
    firsts_[c] = true;
    for (size_t k = 0; k < 4; ++k)
      bits_[size_t{c} * 4 + k] = ~uint64_t{0};
  }
  // Lets every non-empty token through: an empty name is a prefix of all.
  void add_all() {
    for (size_t c = 1; c < 256; ++c)
      add_first(static_cast<unsigned char>(c));
  }
  // False when no name added begins as `token` does; always false for
  // the empty token, whose second byte is not there to read.
  constexpr bool may_hold(const char* token) const {
    if (!firsts_[static_cast<unsigned char>(token[0])])
      return false;
    const size_t b = pair(token);
    return (bits_[b >> 6] >> (b & 63)) & 1;
  }

 private:
  static constexpr size_t pair(const char* s) {
    return (size_t{static_cast<unsigned char>(s[0])} << 8) | static_cast<unsigned char>(s[1]);
  }
  constexpr void set(size_t b) { bits_[b >> 6] |= uint64_t{1} << (b & 63); }
  bool firsts_[256] = {};
  uint64_t bits_[1024] = {};
};

// The names of a table whose names are asked about exactly (no prefix), as
// bits of their first eight bytes and whether they go on past them: a token
// whose bits are not all set is none of them. Where the first two bytes let
// many tokens through (`static` begins as `struct` does, `dev` and `page` as
// `dev_err` and `page_address`), this turns nearly all of them away for a
// few loads, before the token is measured and hashed for the lookup.
// Storage whose every byte may be read, though only part of it holds the
// text asked about: the scanner's line storage, where the words of the
// current line lie. A key of a token in it is read eight bytes at once.
struct readable_span {
  const char* lo = nullptr;
  const char* hi = nullptr;
};
inline readable_span g_readable;

// A name's first eight bytes (zeros past its end, first byte lowest) and
// whether it goes on past them: a name of up to eight bytes is its key.
struct name_key {
  uint64_t head = 0;
  bool longer = false;
  constexpr explicit name_key(std::string_view name) {
    for (size_t i = 0; i < name.size() && i < 8; ++i)
      head |= uint64_t{static_cast<unsigned char>(name[i])} << (8 * i);
    longer = name.size() > 8;
  }
  // The key of a token, read up to its terminator.
  static name_key of(const char* token) {
    name_key k{std::string_view()};
    if (token >= g_readable.lo && token + 8 <= g_readable.hi) {
      uint64_t v;
      std::memcpy(&v, token, 8);
      // The lowest byte found zero is the terminator (the borrow can mark
      // only bytes above it).
      const uint64_t zero = (v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull;
      if (zero == 0) {
        k.head = v;
        k.longer = token[8] != 0;
      } else {
        const int bits = __builtin_ctzll(zero) - 7;  // 8 * the terminator's index
        k.head = bits == 0 ? 0 : v & (~uint64_t{0} >> (64 - bits));
      }
      return k;
    }
    for (int i = 0; i < 8; ++i) {
      const unsigned char c = static_cast<unsigned char>(token[i]);
      if (c == 0)
        return k;
      k.head |= uint64_t{c} << (8 * i);
    }
    k.longer = token[8] != 0;
    return k;
  }
  constexpr bool operator==(const name_key& o) const { return head == o.head && longer == o.longer; }
};

template <unsigned Bits>
class name_filter {
 public:
  void add(std::string_view name) { set(mix(name_key(name))); }
  // False when `token` is surely no name added.
  bool may_hold(const char* token) const { return may_hold(name_key::of(token)); }
  bool may_hold(name_key k) const { return test(mix(k)); }
  void clear() {
    for (uint64_t& w : bits_)
      w = 0;
  }

 private:
  static uint64_t mix(name_key k) {
    return (k.head ^ (k.longer ? 0x9E3779B97F4A7C15ull : 0)) * 0xD6E8FEB86659FD93ull;
  }
  // Two bits of each name, from the high bits of the product.
  static size_t first(uint64_t h) { return static_cast<size_t>(h >> (64 - Bits)); }
  static size_t second(uint64_t h) {
    return static_cast<size_t>(h >> (64 - 2 * Bits)) & ((size_t{1} << Bits) - 1);
  }
  bool bit(size_t b) const { return (bits_[b >> 6] >> (b & 63)) & 1; }
  bool test(uint64_t h) const { return bit(first(h)) && bit(second(h)); }
  void set(uint64_t h) {
    bits_[first(h) >> 6] |= uint64_t{1} << (first(h) & 63);
    bits_[second(h) >> 6] |= uint64_t{1} << (second(h) & 63);
  }
  uint64_t bits_[(size_t{1} << Bits) / 64] = {};
};

}  // namespace kavel

#endif  // KAVEL_SUPPORT_NAME_MAP_H_
