// Wildcard patterns. The written form is converted once, in place, so the
// matcher never has to tell a literal '*' from a wildcard: after conversion
// only bytes 1 and 2 are wildcards. Matching walks bytes, but a wildcard and
// the search for a segment step over a Shift-JIS double-byte character as a
// whole, so '?' never splits one.
#include "tables/pattern.h"

#include <cstring>

#include "support/messages.h"

namespace kavel {

namespace {

using uchar = unsigned char;

// Bytes taken by the character at `s`: two for a lead byte with a byte after
// it, else one. The Shift-JIS ranges hold whatever encoding the sources use.
inline int char_len(const uchar* s) {
  return (is_sjis_lead(s[0]) && s[1] != 0) ? 2 : 1;
}

// Compares `len` pattern bytes at `seg` (literals and byte 1) with the name
// from `s`. On success `*after` is just past the matched text.
bool segment_at(const uchar* seg, size_t len, const uchar* s, const uchar** after) {
  for (size_t i = 0; i < len; ++i) {
    if (*s == 0)
      return false;
    if (seg[i] == kAnyOne) {
      s += char_len(s);
    } else {
      if (seg[i] != *s)
        return false;
      ++s;
    }
  }
  *after = s;
  return true;
}

}  // namespace

void conv_search_str(char* str) {
  uchar* r = reinterpret_cast<uchar*>(str);
  uchar* w = r;
  while (*r != 0) {
    if (*r == '?') {
      *w++ = kAnyOne;
      ++r;
    } else if (*r == '*') {
      // Skip the run before writing: w may stand on the first star.
      while (*r == '*')
        ++r;
      *w++ = kAnyRun;
    } else if (char_len(r) == 2) {
      // The trail byte may look like '?' or '*'; it belongs to the character.
      *w++ = *r++;
      *w++ = *r++;
    } else {
      *w++ = *r++;
    }
  }
  *w = 0;
}

void conv_search_str(std::string& str) {
  conv_search_str(&str[0]);
  str.resize(std::strlen(str.c_str()));
}

std::string org_search_str(const char* pattern) {
  constexpr size_t kShown = 255;  // messages show no more of a pattern
  std::string written;
  for (size_t n = 0; n < kShown && pattern[n] != 0; ++n) {
    char c = pattern[n];
    written += c == kAnyOne ? '?' : c == kAnyRun ? '*' : c;
  }
  return written;
}

int match(const char* pattern, const char* name) {
  const uchar* p = reinterpret_cast<const uchar*>(pattern);
  const uchar* t = reinterpret_cast<const uchar*>(name);
  for (;;) {
    if (*t == 0) {
      while (*p == kAnyRun)
        ++p;
      return *p == 0 ? 1 : 0;
    }
    if (*p == 0)
      return 0;
    if (*p == kAnyOne) {
      ++p;
      t += char_len(t);
      continue;
    }
    if (*p != kAnyRun) {
      if (*p != *t)
        return 0;
      ++p;
      ++t;
      continue;
    }
    ++p;
    if (*p == 0)
      return 1;
    if (*p == kAnyRun)
      continue;
    const uchar* seg = p;
    const uchar* seg_end = p;
    while (*seg_end != 0 && *seg_end != kAnyRun)
      ++seg_end;
    size_t seg_len = static_cast<size_t>(seg_end - seg);
    if (*seg_end == kAnyRun) {
      // A middle segment is pinned at its leftmost occurrence; later
      // occurrences are never tried.
      const uchar* after = nullptr;
      const uchar* s = t;
      while (*s != 0 && !segment_at(seg, seg_len, s, &after))
        s += char_len(s);
      if (*s == 0)
        return 0;
      t = after;
      p = seg_end;
      continue;
    }
    // The last segment must end where the name ends.
    size_t left = std::strlen(reinterpret_cast<const char*>(t));
    for (const uchar* s = t; *s != 0;) {
      if (seg[0] == kAnyOne || seg[0] == *s) {
        if (left < seg_len)
          return 0;
        const uchar* after = nullptr;
        if (segment_at(seg, seg_len, s, &after) && *after == 0)
          return 1;
      }
      int step = char_len(s);
      s += step;
      left -= static_cast<size_t>(step);
    }
    return 0;
  }
}

bool has_wildcard(const char* pattern) {
  for (const char* p = pattern; *p != 0; ++p) {
    if (*p == kAnyOne || *p == kAnyRun)
      return true;
  }
  return false;
}

}  // namespace kavel
