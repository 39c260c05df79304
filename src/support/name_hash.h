// The hashes the name indexes share. Tokens arrive as C strings, so the
// byte-wise hash measures the name in the same walk; a name held as a string
// hashes alike. Where the length is known, span_hash takes eight bytes at a
// time, several times cheaper on the long identifiers of real code.
#ifndef KAVEL_SUPPORT_NAME_HASH_H_
#define KAVEL_SUPPORT_NAME_HASH_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace kavel {

// FNV-1a: one xor and one multiply per byte, good enough for identifiers.
// The prefix test extends it a byte at a time, which span_hash cannot do.
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

namespace hash_detail {
inline uint64_t load8(const char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint64_t load4(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
// Both halves of the 128-bit product: every input bit reaches the result.
inline uint64_t mix(uint64_t a, uint64_t b) {
  unsigned __int128 m = static_cast<unsigned __int128>(a) * b;
  return static_cast<uint64_t>(m) ^ static_cast<uint64_t>(m >> 64);
}
constexpr uint64_t kMixA = 0xa0761d6478bd642full;
constexpr uint64_t kMixB = 0xe7037ed1a0b428dbull;
// Non-zero when some byte of `v` is below 3 (the terminator, or byte 1 or
// 2 of a pattern's wildcards).
inline uint64_t low_byte(uint64_t v) {
  return (v - 0x0303030303030303ull) & ~v & 0x8080808080808080ull;
}
}  // namespace hash_detail

// Hash of the `len` bytes at `p`. Each byte is read within the span: the
// last eight (or four) are read again where they overlap, which is as good
// for a hash as reading them once. With `low`, also tells whether one of
// the bytes is below 3, a wildcard byte in a text without terminator.
inline uint64_t span_hash(const char* p, size_t len, bool* low = nullptr) {
  using namespace hash_detail;
  uint64_t h = kHashSeed ^ (len * kMixB);
  uint64_t lows = 0;
  if (len >= 8) {
    size_t i = 0;
    for (; i + 8 < len; i += 8) {
      uint64_t v = load8(p + i);
      lows |= low_byte(v);
      h = mix(h ^ v, kMixA);
    }
    uint64_t v = load8(p + len - 8);
    lows |= low_byte(v);
    h = mix(h ^ v, kMixB);
  } else if (len >= 4) {
    uint64_t v = (load4(p) << 32) | load4(p + len - 4);
    lows |= low_byte(v);
    h = mix(h ^ v, kMixB);
  } else if (len > 0) {
    unsigned a = static_cast<unsigned char>(p[0]);
    unsigned b = static_cast<unsigned char>(p[len >> 1]);
    unsigned c = static_cast<unsigned char>(p[len - 1]);
    lows |= (a < 3) | (b < 3) | (c < 3);
    h = mix(h ^ ((uint64_t{a} << 16) | (b << 8) | c), kMixB);
  }
  if (low != nullptr)
    *low = lows != 0;
  return h;
}

inline uint64_t span_hash(std::string_view s) {
  return span_hash(s.data(), s.size());
}

}  // namespace kavel

#endif  // KAVEL_SUPPORT_NAME_HASH_H_
