// Registration, duplicate rules, call relations and lookups of the function
// table, driven directly through the scratch group.
#include "tables/fun_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/options.h"
#include "tables/ignore_list.h"
#include "tables/name_checks.h"
#include "tables/pattern.h"
#include "test_util.h"

namespace kavel {
namespace {

class FunTable : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_below_driver();
  }

  // Registers `name` as entry 0 of a fresh group.
  static int reg(const std::string& name, const char* file, int kind = 0, int line = 1) {
    g_tab.Fun.num = 1;
    new_fun_entry(0, name);
    return add_fun(static_cast<fun_kind>(kind), file, line, "");
  }
  static fun_info& rec(int k) { return g_tab.Finf[k]; }
  static std::vector<int> callees(int k) { return {rec(k).callees().begin(), rec(k).callees().end()}; }
  static std::vector<int> callers(int k) { return {rec(k).callers().begin(), rec(k).callers().end()}; }
};

struct dup_case {
  const char* label;
  std::vector<std::string> m_list;  // -m files; empty: none given
  std::vector<const char*> files;   // one definition of "f" per file, in order
  std::vector<int> results;         // add_fun's answer for each
  std::vector<std::string> names;   // names of the records made
  std::vector<int> dups;
};

TEST_F(FunTable, DuplicateRules) {
  const dup_case cases[] = {
      {"no list: every file preferred",
       {},
       {"a.c", "b.c", "c.c"},
       {0, 0, 0},
       {"f", "f", "f"},
       {1, 1, 1}},
      {"listed file displaces the earlier one", {"b.c"}, {"a.c", "b.c"}, {0, 0}, {"", "f"}, {0, 0}},
      {"unlisted file after a listed one is refused", {"b.c"}, {"b.c", "a.c"}, {0, 3}, {"f"}, {0}},
      {"both unlisted: equally preferred", {"z.c"}, {"a.c", "b.c"}, {0, 0}, {"f", "f"}, {1, 1}},
      {"third from an unlisted file is refused",
       {"a.c"},
       {"a.c", "a.c", "c.c", "a.c"},
       {0, 0, 3, 0},
       {"f", "f", "f"},
       {1, 1, 1}},
  };
  for (const dup_case& c : cases) {
    SCOPED_TRACE(c.label);
    reset_tables();
    reset_options();
    g_opt.file_list = c.m_list;
    capture_messages msgs;
    for (size_t i = 0; i < c.files.size(); ++i) {
      EXPECT_EQ(reg("f", c.files[i]), c.results[i]) << "definition " << i;
    }
    ASSERT_EQ(g_tab.fun_no, static_cast<int>(c.names.size()));
    for (size_t k = 0; k < c.names.size(); ++k) {
      EXPECT_EQ(rec(k).name, c.names[k]) << "record " << k;
      EXPECT_EQ(rec(k).dup, c.dups[k]) << "record " << k;
      EXPECT_EQ(rec(k).no, static_cast<int>(k));
    }
    EXPECT_EQ(msgs.text(), "");  // C functions are never reported
  }
}

// Offsets are packed into five bytes: past 4 GB and the -1 of a macro
// must come back whole, and files compare by name.
TEST_F(FunTable, PackedOffsetsAndFiles) {
  reg("f", "a.c");
  reg("g", "b.c");
  reg("h", "a.c");
  rec(0).set_end_pos((5LL << 32) + 7);
  rec(0).set_head_pos(-1);
  rec(0).set_top_pos(0xFFFFFFFFLL);
  EXPECT_EQ(rec(0).end_pos(), (5LL << 32) + 7);
  EXPECT_EQ(rec(0).head_pos(), -1);
  EXPECT_EQ(rec(0).top_pos(), 0xFFFFFFFFLL);
  EXPECT_TRUE(rec(0).file == rec(2).file);
  EXPECT_TRUE(rec(0).file != rec(1).file);
  EXPECT_STREQ(rec(1).file.c_str(), "b.c");
}

// The list changes layout at one number and at each block size.
TEST(IntList, GrowsInsertsErasesAndCopies) {
  int_list l;
  std::vector<int> want;
  for (int v = 0; v < 40; v += 2) {
    l.push_back(v);
    want.push_back(v);
    ASSERT_EQ(std::vector<int>(l.begin(), l.end()), want);
  }
  l.insert(l.begin() + 1, 1);
  l.erase(l.begin());
  want.insert(want.begin() + 1, 1);
  want.erase(want.begin());
  int_list copy = l;
  int_list moved = std::move(l);
  EXPECT_EQ(std::vector<int>(copy.begin(), copy.end()), want);
  EXPECT_EQ(std::vector<int>(moved.begin(), moved.end()), want);
  EXPECT_TRUE(l.empty());
  int_list one;
  one.push_back(-7);
  one.insert(one.begin(), 3);
  one.erase(one.begin() + 1);
  EXPECT_EQ(std::vector<int>(one.begin(), one.end()), std::vector<int>{3});
}

TEST_F(FunTable, DisplacedRecordIsFoundOnlyByPattern) {
  g_opt.file_list = {"b.c"};
  reg("f", "a.c");
  reg("f", "b.c");
  EXPECT_EQ(ser_fun("f"), 1);
  EXPECT_EQ(ser_fun_next(2, "f"), -1);
  std::string any = "*";
  conv_search_str(any);
  EXPECT_EQ(ser_fun(any.c_str()), 0);  // a wildcard matches the empty name
}

TEST_F(FunTable, MacroDefinedTwiceIsReportedOnce) {
  capture_messages msgs;
  EXPECT_EQ(reg("M", "a.h", 1), 0);
  EXPECT_EQ(reg("M", "b.h", 1), 0);
  EXPECT_EQ(reg("M", "c.h", 1), 0);
  EXPECT_EQ(msgs.text(), "M in \"b.h\": multiple declaration\n");
}

TEST_F(FunTable, RefusalsLeaveNoRecord) {
  capture_messages msgs;
  EXPECT_EQ(reg("printf", "a.c"), 3);  // a standard-library name
  g_tab.Fun.name[0].reset();
  EXPECT_EQ(add_fun(kFunction, "a.c", 1, ""), 3);
  EXPECT_EQ(g_tab.fun_no, 0);
  EXPECT_TRUE(g_tab.Finf.empty());
  EXPECT_EQ(msgs.text(), "internal error; no function name\n");
}

TEST_F(FunTable, RecordTakesLineAndFirstLine) {
  fun_group& f = g_tab.Fun;
  f.num = 1;
  new_fun_entry(0, "f");
  ASSERT_EQ(add_fun(kFunction, "a.c", 40000, "int f(a, b)\n"), 0);
  const fun_info& r = rec(0);
  EXPECT_EQ(r.line, 40000);  // line numbers are not cut to 16 bits
  EXPECT_STREQ(r.first_line(), "int f(a, b)\n");
  EXPECT_STREQ(r.file.c_str(), "a.c");
  EXPECT_TRUE(r.callees().empty());
  EXPECT_TRUE(r.callers().empty());
}

TEST_F(FunTable, CallsBuildBothRelationLists) {
  reg("main", "a.c");
  reg("work", "a.c");
  EXPECT_EQ(add_call("main", "work"), 0);
  EXPECT_EQ(add_call("main", "undefined1"), 0);
  EXPECT_EQ(add_call("main", "work"), 0);  // a repeated call changes nothing
  EXPECT_EQ(add_call("work", "undefined2"), 0);
  EXPECT_EQ(add_call("work", "undefined1"), 0);  // an external name keeps its number
  EXPECT_EQ(callees(0), (std::vector<int>{1, kExternBase}));
  EXPECT_EQ(callees(1), (std::vector<int>{kExternBase + 1, kExternBase}));
  EXPECT_EQ(callers(1), std::vector<int>{0});
  ASSERT_EQ(g_tab.ext_names.size(), 2u);
  EXPECT_STREQ(ext_name(0), "undefined1");
  EXPECT_STREQ(ext_name(1), "undefined2");
  EXPECT_EQ(add_call("nobody", "work"), -1);  // a caller without record
}

TEST_F(FunTable, SelfCallMarksKindTwo) {
  reg("loop", "a.c");
  reg("M", "a.c", 1);
  EXPECT_EQ(add_call("loop", "loop"), 0);
  EXPECT_EQ(add_call("M", "M"), 0);  // not in its own replacement
  EXPECT_EQ(rec(1).kind, 1);
  g_tab.replacement_of = 1;
  EXPECT_EQ(add_call("M", "M"), 0);
  g_tab.replacement_of = -1;
  EXPECT_EQ(rec(0).kind, 2);
  EXPECT_EQ(rec(1).kind, 2);
  EXPECT_TRUE(rec(0).callees().empty());
  EXPECT_TRUE(rec(0).callers().empty());
}

TEST_F(FunTable, DuplicatedCalleeRecordsTheCallerWhereTheCallReaches) {
  reg("main", "a.c");
  reg("f", "b.c");
  reg("f", "a.c");
  reg("other", "c.c");
  reg("g", "d.c");
  reg("g", "d.c");
  rec(5).set_end_pos(10);  // another definition, not the same one read twice
  EXPECT_EQ(add_call("main", "f"), 0);
  EXPECT_EQ(add_call("other", "f"), 0);
  EXPECT_EQ(add_call("other", "g"), 0);
  EXPECT_EQ(callees(0), std::vector<int>{1});  // the first record of the name
  EXPECT_TRUE(rec(1).callers().empty());
  EXPECT_EQ(callers(2), std::vector<int>{0});  // the caller's file; c.c has none
  EXPECT_EQ(callers(4), std::vector<int>{3});  // alternatives: both
  EXPECT_EQ(callers(5), std::vector<int>{3});
}

TEST_F(FunTable, ClosedRecordsPassCallsToTheNextDefinition) {
  reg("f", "a.c");
  reg("f", "b.c");
  EXPECT_EQ(add_call("f", "x"), 0);
  rec(0).closed = 1;
  EXPECT_EQ(add_call("f", "y"), 0);
  EXPECT_EQ(callees(0), std::vector<int>{kExternBase});
  EXPECT_EQ(callees(1), std::vector<int>{kExternBase + 1});
  rec(1).closed = 1;
  EXPECT_EQ(add_call("f", "z"), -1);
}

TEST_F(FunTable, RelationsGrowWithoutLimit) {
  reg("hub", "a.c");
  for (int i = 0; i < 2000; ++i)
    reg("c" + std::to_string(i), "a.c");
  for (int round = 0; round < 2; ++round) {  // repeated calls count once
    for (int i = 0; i < 2000; ++i) {
      std::string c = "c" + std::to_string(i);
      ASSERT_EQ(add_call("hub", c.c_str()), 0);
      ASSERT_EQ(add_call(c.c_str(), "hub"), 0);
      ASSERT_EQ(add_call("hub", ("x" + std::to_string(i)).c_str()), 0);
    }
  }
  EXPECT_EQ(rec(0).callees().size(), 4000u);
  EXPECT_EQ(rec(0).callees()[3999], kExternBase + 1999);
  EXPECT_EQ(rec(0).callers().size(), 2000u);
  EXPECT_EQ(callers(1), std::vector<int>{0});
  EXPECT_EQ(g_tab.ext_names.size(), 2000u);
}

// The index must answer as the in-order pattern search does, through
// duplicates, displacements and a macro sharing a function's name.
TEST_F(FunTable, IndexAgreesWithInOrderSearch) {
  g_opt.file_list = {"b.c", "c.c"};
  const char* const defs[][2] = {{"f", "a.c"}, {"g", "a.c"}, {"f", "b.c"}, {"h", "a.c"},
                                 {"g", "b.c"}, {"h", "z.c"}, {"g", "c.c"}, {"f", "c.c"},
                                 {"k", "a.c"}, {"k", "b.c"}, {"h", "c.c"}};
  for (const auto& d : defs)
    reg(d[0], d[1]);
  reg("g", "a.c", 1);
  const char* const names[] = {"f", "g", "h", "k", "", "none"};
  for (const char* n : names) {
    for (int start = -1; start <= g_tab.fun_no + 1; ++start) {
      int want = -1;
      for (int k = std::max(start, 0); k < g_tab.fun_no; ++k) {
        if (match(n, rec(k).name.c_str())) {
          want = k;
          break;
        }
      }
      EXPECT_EQ(ser_fun_next(start, n), want) << "name '" << n << "' from " << start;
    }
  }
}

TEST_F(FunTable, VariablesGlobalBeforeLocal) {
  pfun_info* local = add_pfun(false, "p", kPointerVar);
  EXPECT_EQ(ser_pfun("p"), local);
  pfun_info* global = add_pfun(true, "p", kDeclaredFun);
  EXPECT_EQ(ser_pfun("p"), global);
  EXPECT_EQ(ser_pfun("q"), nullptr);
  g_tab.gfun_cnt = 0;  // both tables emptied
  g_tab.lfun_cnt = 0;
  EXPECT_EQ(ser_pfun("p"), nullptr);
  EXPECT_EQ(add_pfun(false, "q", kPointerVar), &g_tab.Pfun_l[0]);
  EXPECT_EQ(ser_pfun("q"), &g_tab.Pfun_l[0]);
  EXPECT_EQ(ser_pfun("p"), nullptr);
}

}  // namespace
}  // namespace kavel
