// The built-in standard names and the order rules of -r/-R entries.
#include "tables/ignore_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/options.h"

namespace kavel {
namespace {

class IgnoreList : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_options();
    reset_ignore();
  }
};

TEST_F(IgnoreList, BuiltInTable) {
  int n = 0;
  while (ignfun_tab[n] != nullptr)
    ++n;
  EXPECT_EQ(n, kIgnfunCount);
  EXPECT_STREQ(ignfun_tab[0], "sizeof");
  EXPECT_STREQ(ignfun_tab[59], "index");
  EXPECT_STREQ(ignfun_tab[79], "ioctl");
  EXPECT_STREQ(ignfun_tab[kIgnfunCount - 1], "write");
  for (int i = 0; i < kIgnfunCount; ++i) {
    EXPECT_EQ(check_ignfun(ignfun_tab[i]), 1) << ignfun_tab[i];
  }
}

TEST_F(IgnoreList, NamesNextToBuiltInOnesAreNotIgnored) {
  // The built-in set is hashed and cut by length: a name one byte off any
  // built-in one is ignored only when it is on the list itself.
  auto listed = [](const std::string& s) {
    for (int i = 0; i < kIgnfunCount; ++i) {
      if (s == ignfun_tab[i])
        return true;
    }
    return false;
  };
  for (int i = 0; i < kIgnfunCount; ++i) {
    const std::string name = ignfun_tab[i];
    std::vector<std::string> near = {name + "_", "_" + name, name.substr(1),
                                     name.substr(0, name.size() - 1)};
    for (size_t at = 0; at < name.size(); ++at) {
      std::string s = name;
      s[at] = s[at] == 'x' ? 'y' : 'x';
      near.push_back(s);
    }
    for (const std::string& s : near)
      EXPECT_EQ(check_ignfun(s.c_str()), listed(s) ? 1 : 0) << "[" << s << "]";
  }
}

TEST_F(IgnoreList, StandardAndOwnNames) {
  for (const char* name : {"index", "open", "time", "sizeof", "defined", "offsetof", "va_arg",
                           "va_start", "va_end", "assert"}) {
    EXPECT_EQ(check_ignfun(name), 1) << name;
  }
  for (const char* name : {"main", "Index", "printf_", "", "va_copy"}) {
    EXPECT_EQ(check_ignfun(name), 0) << name;
  }
}

TEST_F(IgnoreList, FirstMatchingEntryDecides) {
  struct {
    name_table list;
    const char* name;
    int want;
  } cases[] = {
      {{"dbg_*"}, "dbg_x", 1},
      {{"dbg_*"}, "dbg_", 1},
      {{"dbg_*"}, "xdbg_", 0},
      {{"dbg_*", "!dbg_main"}, "dbg_main", 1},
      {{"!dbg_main", "dbg_*"}, "dbg_main", 0},
      {{"!dbg_main", "dbg_*"}, "dbg_other", 1},
      {{"!index"}, "index", 0},
      {{"!index"}, "open", 1},
      {{"!str*"}, "strcpy", 0},
      {{"!*"}, "printf", 0},
      {{"f?o"}, "foo", 1},
      // An empty entry ends the list.
      {{"a", "", "b"}, "a", 1},
      {{"a", "", "b"}, "b", 0},
      {{"", "!index"}, "index", 1},
  };
  for (auto& c : cases) {
    reset_ignore();
    g_opt.ign_list = c.list;
    EXPECT_EQ(check_ignfun(c.name), c.want) << c.list[0] << " .. " << c.name;
  }
}

TEST_F(IgnoreList, ConversionHappensOnceAndLeavesTheOptions) {
  g_opt.ign_list = {"dbg_*", "!t?st", "", "x*"};
  EXPECT_EQ(check_ignfun("main"), 0);
  EXPECT_EQ(g_ign.entries, (name_table{"dbg_\x02", "!t\x01st", "", "x*"}));
  EXPECT_EQ(g_opt.ign_list, (name_table{"dbg_*", "!t?st", "", "x*"}));
  // A second question must not convert again.
  EXPECT_EQ(check_ignfun("dbg_a"), 1);
  EXPECT_EQ(g_ign.entries[0], "dbg_\x02");
}

TEST_F(IgnoreList, EntriesAfterFirstQuestionStayWritten) {
  EXPECT_EQ(check_ignfun("dbg_x"), 0);
  g_opt.ign_list.push_back("dbg_*");
  g_opt.ign_list.push_back("!ti?e");
  EXPECT_EQ(check_ignfun("dbg_x"), 0);
  EXPECT_EQ(check_ignfun("dbg_*"), 1);  // the star stands for itself
  EXPECT_EQ(check_ignfun("time"), 1);
  EXPECT_EQ(check_ignfun("ti?e"), 0);
  EXPECT_EQ(g_opt.ign_list[0], "dbg_*");
}

}  // namespace
}  // namespace kavel
