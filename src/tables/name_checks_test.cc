// Token checks and the indexed word lists behind them.
#include "tables/name_checks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/options.h"
#include "test_util.h"

namespace kavel {
namespace {

class NameChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_options();
    reset_names();
  }
};

TEST(Strcmp1, Prefixes) {
  struct {
    const char* word;
    const char* text;
    int want;
  } cases[] = {
      {"ab", "abc", 0}, {"abc", "ab", -1}, {"", "xyz", 0},  {"", "", 0},
      {"ab", "ab", 0},  {"ab", "aB", -1},  {"b", "ab", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(strcmp1(c.word, c.text), c.want) << c.word << " / " << c.text;
  }
}

TEST_F(NameChecks, Keywords) {
  for (const char* w : {"if", "else", "switch", "for", "while", "do", "return", "case", "sizeof",
                        "ifdef", "ifndef", "endif", "undef"}) {
    EXPECT_EQ(check_keyword(w), 1) << w;
  }
  for (const char* w : {"Sizeof", "Undef", "define", "include", "iff", "", "goto", "i", "returns",
                        "ifdefined", "sizeof_t"}) {
    EXPECT_EQ(check_keyword(w), 0) << w;
  }
}

TEST_F(NameChecks, Types) {
  for (const char* w : {"register", "long", "int", "short", "char", "signed", "unsigned", "float",
                        "double", "void", "typedef", "struct", "union"}) {
    EXPECT_EQ(check_type(w), 1) << w;
  }
  for (const char* w : {"const", "enum", "static", "extern", "size_t", "Int", ""}) {
    EXPECT_EQ(check_type(w), 0) << w;
  }
  add_typedef_name("size_t");
  EXPECT_EQ(check_type("size_t"), 1);
  EXPECT_EQ(check_type("size"), 0);
  // A word of eight bytes is known by its bytes alone; one byte more or
  // less, or a typedef name it begins, is another word.
  for (const char* w : {"unsigned_", "unsigne", "registers", "struct_t", "voidp", "in"}) {
    EXPECT_EQ(check_type(w), 0) << w;
  }
  add_typedef_name("unsigned_");
  add_typedef_name("struct_t");
  EXPECT_EQ(check_type("unsigned_"), 1);
  EXPECT_EQ(check_type("struct_t"), 1);
  EXPECT_EQ(check_type("unsigned"), 1);
  EXPECT_EQ(check_type("struct_"), 0);
}

// The filters beside the exact tables turn tokens away on their first
// eight bytes: every name added must get through, whatever its length.
TEST(NameFilter, LetsEveryNameAddedThrough) {
  name_filter<8> filter;  // small, so that it fills up
  std::vector<std::string> names;
  for (int i = 0; i < 400; ++i)
    names.push_back(std::string(static_cast<size_t>(i % 13), 'a' + i % 26) + std::to_string(i));
  names.push_back("");
  for (const std::string& n : names)
    filter.add(n);
  for (const std::string& n : names)
    EXPECT_TRUE(filter.may_hold(n.c_str())) << n;
  name_filter<16> one;
  const std::string eight = "abcdefgh";
  one.add(eight);
  EXPECT_TRUE(one.may_hold(eight.c_str()));
  // Surely turned away, with one name in 65536 bits.
  EXPECT_FALSE(one.may_hold((eight + "i").c_str()));
  EXPECT_FALSE(one.may_hold(eight.substr(0, 7).c_str()));
}

TEST_F(NameChecks, SeparatorsAndMacroPrefixes) {
  const char seps[] = " \t\n\"';:,.{}=!-+*/%><|&()[]^~?\\#";
  for (const char* c = seps; *c != 0; ++c) {
    char tok[] = {*c, 'x', 0};
    EXPECT_NE(check_sep(tok), nullptr) << "char " << static_cast<int>(*c);
  }
  for (const char* tok : {"abc", "", "_x", "0x10", "@", "$a", "MAX", "\x82\xa0"}) {
    EXPECT_EQ(check_sep(tok), nullptr) << tok;
  }
  // A separator answer points at a one-character string holding it.
  EXPECT_STREQ(check_sep("&&"), "&");
  EXPECT_STREQ(check_sep("("), "(");

  g_names.mac_name.append("MAX");
  EXPECT_NE(check_sep("MAX"), nullptr);
  EXPECT_NE(check_sep("MAXLEN"), nullptr);
  EXPECT_EQ(check_sep("MA"), nullptr);
  EXPECT_EQ(check_sep("xMAX"), nullptr);
  EXPECT_EQ(check_sep("max"), nullptr);
}

// Macro names sharing long beginnings, as a code base's prefixed names do:
// the prefix test must still find a name that is a prefix however long the
// shared part, and turn away tokens that leave every name at any byte.
TEST_F(NameChecks, MacroPrefixesWithLongSharedBeginnings) {
  for (const char* n : {"LIB_API", "LIB_APIX", "LIB_PRIVATE", "LIB_OMIT_A", "L", "LIB_"})
    g_names.mac_name.append(n);
  struct {
    const char* token;
    bool prefixed;
  } cases[] = {
      {"LIB_API", true},  {"LIB_APIcall", true}, {"LIB_OMIT_AB", true}, {"Lx", true},
      {"LIB", true},      {"LIB_", true},        {"LIB_OMIT_", true},   {"MLIB_API", false},
      {"lIB_API", false}, {"x", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(check_sep(c.token) != nullptr, c.prefixed) << c.token;
  g_names.mac_name.clear();
  g_names.mac_name.append("LIB_OMIT_A");
  for (const char* t : {"LIB_OMIT_", "LIB_OMIT_B", "LIB", "LIB_OMIT_a", "L"})
    EXPECT_EQ(check_sep(t), nullptr) << t;
  EXPECT_NE(check_sep("LIB_OMIT_AB"), nullptr);
}

TEST_F(NameChecks, EmptyMacroNameIsPrefixOfEveryTokenButTheEmptyOne) {
  g_names.mac_name.append("");
  EXPECT_NE(check_sep("abc"), nullptr);
  EXPECT_EQ(check_sep(""), nullptr);
}

TEST_F(NameChecks, MacroCalls) {
  g_names.mac_call.append("LOG");
  EXPECT_EQ(check_maccall("LOG"), 1);
  EXPECT_EQ(check_maccall("LOGX"), 0);
  EXPECT_EQ(check_maccall("LO"), 0);
}

TEST_F(NameChecks, MacroFileList) {
  EXPECT_EQ(check_mfile("a.c"), 1);
  g_opt.file_list = {"a.c", "dir/b.c"};
  EXPECT_EQ(check_mfile("a.c"), 1);
  EXPECT_EQ(check_mfile("dir/b.c"), 1);
  EXPECT_EQ(check_mfile("b.c"), 0);
  EXPECT_EQ(check_mfile("a.c "), 0);
  // Entries behind an empty one have no effect; the list is still given.
  g_opt.file_list = {"", "a.c"};
  EXPECT_EQ(check_mfile("a.c"), 0);
}

TEST_F(NameChecks, TypedefNamesOncePerName) {
  add_typedef_name("T");
  add_typedef_name("T");
  EXPECT_EQ(g_names.typedef_cnt, 1);
  for (int i = 1; i < 3000; ++i)
    add_typedef_name(("t" + std::to_string(i)).c_str());
  EXPECT_EQ(g_names.typedef_cnt, 3000);
  EXPECT_EQ(check_type("t2999"), 1);
  EXPECT_EQ(check_type("extra"), 0);
}

TEST(WordTable, GrowsAndKeepsDuplicates) {
  word_table t;
  EXPECT_TRUE(t.append("a"));
  EXPECT_TRUE(t.append("a"));
  EXPECT_EQ(t.size(), 2);
  for (int i = 2; i < 3000; ++i)
    EXPECT_TRUE(t.append("n" + std::to_string(i)));
  EXPECT_EQ(t.size(), 3000);
  word_table copy = t;
  EXPECT_TRUE(copy.contains("n2999"));
  t.clear();
  EXPECT_EQ(t.size(), 0);
  EXPECT_FALSE(t.contains("a"));
  EXPECT_FALSE(t.has_prefix_of("abc"));
  EXPECT_TRUE(t.append("a"));
  EXPECT_TRUE(t.contains("a"));
}

// The indexes must give the answers of a plain walk over the names in order.
TEST(WordTable, RandomizedAgainstInOrderSearch) {
  std::mt19937 rng(12345);
  auto random_word = [&](int max_len) {
    std::uniform_int_distribution<int> len(0, max_len), ch(0, 3);
    std::string s(len(rng), 'a');
    for (char& c : s)
      c = static_cast<char>('a' + ch(rng));
    return s;
  };
  for (int round = 0; round < 4; ++round) {
    word_table t;
    std::vector<std::string> plain;
    int adds = round == 3 ? 1100 : 40 * (round + 1);
    for (int i = 0; i < adds; ++i) {
      // Mostly non-empty names, an empty one now and then.
      std::string name = random_word(5);
      if (name.empty() && rng() % 8 != 0)
        name = "b";
      bool added = t.append(name);
      EXPECT_TRUE(added);
      if (added)
        plain.push_back(name);
      for (int q = 0; q < 8; ++q) {
        std::string tok = random_word(7);
        bool exact = false, prefix = false;
        for (const std::string& n : plain) {
          if (!exact && n == tok)
            exact = true;
          if (!prefix && strcmp1(n.c_str(), tok.c_str()) == 0)
            prefix = true;
        }
        ASSERT_EQ(t.contains(tok.c_str()), exact) << tok;
        ASSERT_EQ(t.has_prefix_of(tok.c_str()), prefix) << tok;
      }
    }
    ASSERT_EQ(t.size(), static_cast<int>(plain.size()));
  }
}

}  // namespace
}  // namespace kavel
