// The hash the name indexes share. Tokens arrive as C strings, so the hash
// measures the name in the same walk; a name held as a string hashes alike.
#ifndef KAVEL_SUPPORT_NAME_HASH_H_
#define KAVEL_SUPPORT_NAME_HASH_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kavel {

// FNV-1a: one xor and one multiply per byte, good enough for identifiers.
constexpr uint64_t kHashSeed = 14695981039346656037ull;
constexpr uint64_t kHashStep = 1099511628211ull;

inline uint64_t name_hash(std::string_view s) {
  uint64_t h = kHashSeed;
  for (unsigned char c : s)
    h = (h ^ c) * kHashStep;
  return h;
}

// Hashes the C string `s` and stores its length in `len`.
inline uint64_t name_hash(const char* s, size_t& len) {
  uint64_t h = kHashSeed;
  const char* p = s;
  for (; *p; ++p)
    h = (h ^ static_cast<unsigned char>(*p)) * kHashStep;
  len = static_cast<size_t>(p - s);
  return h;
}

// Folds a hash to a slot of a power-of-two table; the high bits mix best.
inline size_t hash_slot(uint64_t h, size_t mask) {
  return static_cast<size_t>(h ^ (h >> 29)) & mask;
}

}  // namespace kavel

#endif  // KAVEL_SUPPORT_NAME_HASH_H_
