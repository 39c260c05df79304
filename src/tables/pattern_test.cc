// Wildcard conversion and matching.
#include "tables/pattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace kavel {
namespace {

// Matches the written pattern after converting a copy of it.
int match_written(const char* written, const char* name) {
  std::string pat = written;
  conv_search_str(pat);
  return match(pat.c_str(), name);
}

struct match_case {
  const char* pattern;  // as written
  const char* name;
  int want;
};

const match_case kCases[] = {
    {"", "", 1},
    {"", "a", 0},
    {"*", "", 1},
    {"*", "anything_at_all", 1},
    {"a*", "a", 1},
    {"a*", "abc", 1},
    {"a*", "ba", 0},
    {"*a", "a", 1},
    {"*a", "ba", 1},
    {"*a", "ab", 0},
    {"a?c", "abc", 1},
    {"a?c", "ac", 0},
    {"a?c", "abbc", 0},
    {"??", "xy", 1},
    {"??", "a", 0},
    {"??", "abc", 0},
    {"Main", "Main", 1},
    {"Main", "main", 0},
    {"f*x", "fx", 1},
    {"f*x", "f_x", 1},
    {"f*x", "foo_x", 1},
    {"f*x", "f_xy", 0},
    {"*a*", "bab", 1},
    {"*a*", "a", 1},
    {"*a*", "bcd", 0},
    {"f*_*x", "f_x", 1},
    {"f*_*x", "foo_bar_x", 1},
    {"f*_*x", "foo_bar_y", 0},
    {"***", "", 1},
    {"***", "abc", 1},
    {"a*?", "a", 0},
    {"a*?", "ab", 1},
    // The last segment is tried at every position, so a repeat near the end
    // still anchors: "x" occurs first at 1, the match needs the one at 3.
    {"*x", "axbx", 1},
    {"*xb", "xbxb", 1},
    // Middle segments take their leftmost occurrence and go on from there.
    {"*ab*b", "abb", 1},
    {"*b*b", "abcb", 1},
    {"*ab*ab", "xabyab", 1},
    {"*ab*ab", "xab", 0},
    {"*a?c*", "zabcz", 1},
    {"*a?c*", "zacz", 0},
    // A lone lead byte at the name's end is one character of its own.
    {"a?", "a\x82", 1},
};

TEST(Match, Table) {
  for (const match_case& c : kCases) {
    EXPECT_EQ(match_written(c.pattern, c.name), c.want)
        << "pattern \"" << c.pattern << "\" name \"" << c.name << "\"";
  }
}

// Full backtracking glob over single-byte text; with no double-byte
// characters the leftmost choice for middle segments loses no match.
bool glob(const char* p, const char* t) {
  if (*p == 0)
    return *t == 0;
  if (*p == '*')
    return glob(p + 1, t) || (*t != 0 && glob(p, t + 1));
  if (*t == 0)
    return false;
  return (*p == '?' || *p == *t) && glob(p + 1, t + 1);
}

TEST(Match, RandomizedAgainstBacktracking) {
  std::mt19937 rng(7);
  auto word = [&](const char* alphabet, int alen, int max_len) {
    std::string s(rng() % (max_len + 1), ' ');
    for (char& c : s)
      c = alphabet[rng() % alen];
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string pat = word("ab?*", 4, 7);
    std::string name = word("ab", 2, 8);
    ASSERT_EQ(match_written(pat.c_str(), name.c_str()), glob(pat.c_str(), name.c_str()) ? 1 : 0)
        << "pattern \"" << pat << "\" name \"" << name << "\"";
  }
}

TEST(Match, DoubleByteCharacters) {
  // "\x82\xa0" and "\x82\xa2" are two Shift-JIS characters.
  EXPECT_EQ(match_written("?", "\x82\xa0"), 1);
  EXPECT_EQ(match_written("??", "\x82\xa0"), 0);
  EXPECT_EQ(match_written("?x", "\x82\xa0x"), 1);
  EXPECT_EQ(match_written("*?", "\x82\xa0"), 1);
  EXPECT_EQ(match_written("a*\x82\xa2", "a\x82\xa0\x82\xa2"), 1);
  EXPECT_EQ(match_written("*\x82\xa2*", "\x82\xa0\x82\xa2z"), 1);
  // 0x61 ('a') is a valid trail byte; inside "\x82\x61" it is no letter, so
  // neither a middle nor a last segment may start on it.
  EXPECT_EQ(match_written("*a*", "\x82\x61"), 0);
  EXPECT_EQ(match_written("*a", "\x82\x61"), 0);
  EXPECT_EQ(match_written("*a", "\x82\x61\x61"), 1);
  EXPECT_EQ(match_written("*?\x61", "\x82\x61"), 0);
}

TEST(ConvSearchStr, Forms) {
  struct {
    const char* written;
    const char* converted;
  } cases[] = {
      {"abc", "abc"},
      {"a?c", "a\001c"},
      {"a***b", "a\002b"},
      {"*?*", "\x02\x01\x02"},
      // The trail byte 0x5C of this character is no separator and no
      // wildcard; the star after it is.
      {"\x95\x5c*", "\x95\x5c\x02"},
      {"", ""},
  };
  for (const auto& c : cases) {
    char buf[32];
    std::strcpy(buf, c.written);
    conv_search_str(buf);
    EXPECT_STREQ(buf, c.converted) << c.written;
    std::string s = c.written;
    conv_search_str(s);
    EXPECT_EQ(s, c.converted) << c.written;
    EXPECT_EQ(s.size(), std::strlen(c.converted));
  }
}

TEST(OrgSearchStr, RoundTripAndBound) {
  std::string pat = "a*b?";
  conv_search_str(pat);
  EXPECT_EQ(pat, "a\002b\001");
  EXPECT_EQ(org_search_str(pat.c_str()), "a*b?");

  std::string long_pat(300, '\x02');
  EXPECT_EQ(org_search_str(long_pat.c_str()), std::string(255, '*'));
}

TEST(HasWildcard, Bytes) {
  EXPECT_FALSE(has_wildcard("main"));
  EXPECT_FALSE(has_wildcard("m*in"));  // written form: no wildcard byte
  EXPECT_TRUE(has_wildcard("m\x01in"));
  EXPECT_TRUE(has_wildcard("\x02"));
}

}  // namespace
}  // namespace kavel
