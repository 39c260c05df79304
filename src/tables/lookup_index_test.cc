// The hash indexes beside the tables must answer exactly as a search of the
// table in order: the first record of a name, nothing for a name not there,
// also after the tables are emptied, refilled, or filled by hand.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/name_checks.h"

namespace kavel {
namespace {

pfun_info* linear_pfun(const std::string& name) {
  for (int i = 0; i < g_tab.gfun_cnt; ++i) {
    if (g_tab.Pfun_g[i].name == name)
      return &g_tab.Pfun_g[i];
  }
  for (int i = 0; i < g_tab.lfun_cnt; ++i) {
    if (g_tab.Pfun_l[i].name == name)
      return &g_tab.Pfun_l[i];
  }
  return nullptr;
}

class LookupIndex : public ::testing::Test {
 protected:
  void SetUp() override { reset_tables(); }
  void TearDown() override { reset_tables(); }
};

TEST_F(LookupIndex, VariableLookupsAgreeWithTheInOrderSearch) {
  std::mt19937 rng(99);
  // Few names, so repeats within and across the two tables are common.
  std::vector<std::string> names;
  for (int k = 0; k < 40; ++k)
    names.push_back("v" + std::to_string(k));
  names.push_back("");
  for (int step = 0; step < 20000; ++step) {
    const std::string& name = names[rng() % names.size()];
    switch (rng() % 10) {
      case 0:
        g_tab.lfun_cnt = 0;  // a body begins: the locals are gone
        break;
      case 1:
        if (rng() % 20 == 0)
          g_tab.gfun_cnt = 0;  // a new pass
        break;
      case 2:
      case 3:
      case 4:
        add_pfun(rng() % 2 == 0, name, static_cast<int>(rng() % 3));
        break;
      default: {
        pfun_info* want = linear_pfun(name);
        ASSERT_EQ(ser_pfun(name.c_str()), want) << "step " << step << " name " << name;
      }
    }
  }
}

TEST_F(LookupIndex, TablesFilledByHandAreTakenInWhenTheirCountChanges) {
  g_tab.Pfun_g[0].name = "a";
  g_tab.Pfun_g[1].name = "b";
  g_tab.gfun_cnt = 2;
  EXPECT_EQ(ser_pfun("b"), &g_tab.Pfun_g[1]);
  g_tab.Pfun_g[2].name = "b";
  g_tab.Pfun_g[3].name = "c";
  g_tab.gfun_cnt = 4;
  EXPECT_EQ(ser_pfun("b"), &g_tab.Pfun_g[1]);  // still the first of the two
  EXPECT_EQ(ser_pfun("c"), &g_tab.Pfun_g[3]);
  g_tab.gfun_cnt = 1;
  EXPECT_EQ(ser_pfun("b"), nullptr);
  EXPECT_EQ(add_pfun(true, "c", 1), &g_tab.Pfun_g[1]);
  EXPECT_EQ(g_tab.gfun_cnt, 2);
  EXPECT_EQ(ser_pfun("c"), &g_tab.Pfun_g[1]);
  EXPECT_EQ(ser_pfun("b"), nullptr);
  g_tab.gfun_cnt = kPfunMax;
  EXPECT_EQ(add_pfun(true, "d", 0), nullptr);  // full
  EXPECT_EQ(ser_pfun(nullptr), nullptr);
}

bool linear_contains(const std::vector<std::string>& names, const char* token) {
  for (const std::string& n : names) {
    if (n == token)
      return true;
  }
  return false;
}

bool linear_prefix(const std::vector<std::string>& names, const char* token) {
  std::string t = token;
  for (const std::string& n : names) {
    if (t.compare(0, n.size(), n) == 0)
      return true;
  }
  return false;
}

TEST_F(LookupIndex, WordTablesAgreeWithTheInOrderSearch) {
  std::mt19937 rng(4242);
  const char alphabet[] = "ab_(\x81";
  auto word = [&](size_t max) {
    std::string s;
    size_t n = rng() % (max + 1);
    for (size_t k = 0; k < n; ++k)
      s += alphabet[rng() % (sizeof alphabet - 1)];
    return s;
  };
  for (int round = 0; round < 200; ++round) {
    word_table tab;
    std::vector<std::string> names;
    int count = static_cast<int>(rng() % 30);
    for (int k = 0; k < count; ++k) {
      std::string n = word(4);
      // An empty name is a prefix of everything; let it in now and then.
      if (n.empty() && rng() % 4 != 0)
        continue;
      ASSERT_TRUE(tab.append(n));
      names.push_back(n);
    }
    for (int probe = 0; probe < 200; ++probe) {
      std::string t = word(6);
      ASSERT_EQ(tab.contains(t.c_str()), linear_contains(names, t.c_str()))
          << "round " << round << " token [" << t << "]";
      ASSERT_EQ(tab.has_prefix_of(t.c_str()), linear_prefix(names, t.c_str()))
          << "round " << round << " token [" << t << "]";
    }
    tab.clear();
    EXPECT_FALSE(tab.contains(""));
    EXPECT_FALSE(tab.has_prefix_of("a"));
  }
}

TEST_F(LookupIndex, BuiltInWordsAreExact) {
  reset_names();
  for (const char* w : {"if", "else", "switch", "for", "while", "do", "return", "case", "sizeof",
                        "ifdef", "ifndef", "endif", "undef"}) {
    EXPECT_EQ(check_keyword(w), 1) << w;
    EXPECT_EQ(check_type(w), 0) << w;
  }
  for (const char* w : {"register", "long", "int", "short", "char", "signed", "unsigned", "float",
                        "double", "void", "typedef", "struct", "union"}) {
    EXPECT_EQ(check_type(w), 1) << w;
    EXPECT_EQ(check_keyword(w), 0) << w;
  }
  for (const char* w : {"", "i", "in", "ints", "Int", "s", "signedx", "undefs", "els", "(", "\x81"}) {
    EXPECT_EQ(check_type(w), 0) << w;
    EXPECT_EQ(check_keyword(w), 0) << w;
  }
}

TEST_F(LookupIndex, ArgumentSlotsReadAsTheFixedArray) {
  fun_info r;
  const fun_info& c = r;
  for (int k = 0; k < kArgMax; ++k)
    EXPECT_FALSE(c.arg_name[k].has_value()) << k;
  r.arg_type[3] = "int";
  r.arg_name[0] = std::string();
  EXPECT_EQ(c.arg_type[3], "int");
  EXPECT_FALSE(c.arg_type[2].has_value());
  EXPECT_FALSE(c.arg_type[4].has_value());
  EXPECT_EQ(c.arg_name[0], "");
  EXPECT_FALSE(c.arg_name[1].has_value());
}

}  // namespace
}  // namespace kavel
