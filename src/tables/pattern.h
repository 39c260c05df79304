// Names with the wildcards '*' and '?'. A written name is converted once into
// a pattern form where byte 2 stands for any run and byte 1 for any one
// character; a Shift-JIS double-byte character counts as one character
// where a wildcard steps over it.
#ifndef KAVEL_TABLES_PATTERN_H_
#define KAVEL_TABLES_PATTERN_H_

#include <string>

namespace kavel {

constexpr char kAnyOne = 1;  // '?'
constexpr char kAnyRun = 2;  // '*' (a run of stars is one byte)

// Converts the written name `str` into pattern form in place.
void conv_search_str(char* str);
void conv_search_str(std::string& str);
// The written form of `pattern`, at most 255 bytes of it.
std::string org_search_str(const char* pattern);
// 1 when the whole of `name` matches `pattern`, else 0.
int match(const char* pattern, const char* name);
// True when `pattern` holds a wildcard byte, so an exact lookup cannot answer.
bool has_wildcard(const char* pattern);

}  // namespace kavel

#endif  // KAVEL_TABLES_PATTERN_H_
