// The name index beside the tables must answer exactly as a search of the
// table in order: the first record of a name, nothing for a name not there,
// also after the tables are emptied and refilled.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/name_hash.h"
#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/name_checks.h"
#include "tables/pattern.h"
#include "test_util.h"

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
  // Few names, so repeats within and across the two tables are common;
  // enough that the global table is emptied past its first 64 entries.
  std::vector<std::string> names;
  for (int k = 0; k < 150; ++k)
    names.push_back("v" + std::to_string(k));
  names.push_back("");
  for (int step = 0; step < 20000; ++step) {
    const std::string& name = names[rng() % names.size()];
    switch (rng() % 10) {
      case 0:
        g_tab.lfun_cnt = 0;  // a body begins: the locals are gone
        break;
      case 1:
        if (rng() % 120 == 0)
          g_tab.gfun_cnt = 0;  // a new pass
        break;
      case 2:
      case 3:
      case 4:
        add_pfun(rng() % 2 == 0, name, static_cast<pfun_kind>(rng() % 3));
        break;
      default: {
        pfun_info* want = linear_pfun(name);
        ASSERT_EQ(ser_pfun(name.c_str()), want) << "step " << step << " name " << name;
      }
    }
  }
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

TEST_F(LookupIndex, PrefixAnswersFollowNamesAddedBetweenQuestions) {
  // The scan asks about the same token twice in a row and adds names
  // between questions; a remembered answer must never outlive either.
  std::mt19937 rng(777);
  const std::vector<std::string> pool = {"abc",   "abcd", "abx",  "ab",     "abcde_f", "xyz",
                                         "xyzzy", "xy",   "a",    "abcdefg", "abd",     "q_r_s"};
  for (int round = 0; round < 100; ++round) {
    word_table tab;
    std::vector<std::string> names;
    std::string token = pool[rng() % pool.size()] + std::string(rng() % 3, 'z');
    for (int step = 0; step < 60; ++step) {
      switch (rng() % 4) {
        case 0: {
          std::string n = pool[rng() % pool.size()];
          if (n.size() == 1 && rng() % 2 == 0)
            n = "b";
          ASSERT_TRUE(tab.append(n));
          names.push_back(n);
          break;
        }
        case 1:
          token = pool[rng() % pool.size()] + std::string(rng() % 3, 'z');
          break;
        default:
          ASSERT_EQ(tab.has_prefix_of(token.c_str()), linear_prefix(names, token.c_str()))
              << "round " << round << " token [" << token << "]";
      }
    }
    tab.clear();
    names.clear();
    ASSERT_FALSE(tab.has_prefix_of(token.c_str()));
  }
}

TEST_F(LookupIndex, SpanHashReadsEveryByteOnce) {
  // Every byte must reach the hash and the wildcard test, whatever the
  // length: the short and tail cases read overlapping pieces.
  std::mt19937 rng(5);
  for (size_t len = 1; len <= 40; ++len) {
    std::string base;
    for (size_t k = 0; k < len; ++k)
      base += static_cast<char>('a' + rng() % 26);
    bool low = true;
    const uint64_t h = span_hash(base.data(), base.size(), &low);
    EXPECT_FALSE(low) << len;
    EXPECT_EQ(span_hash(std::string_view(base)), h);
    for (size_t at = 0; at < len; ++at) {
      for (char c : {'\x01', '\x02', '\x03', 'A', '\xff'}) {
        std::string s = base;
        s[at] = c;
        bool wild = false;
        EXPECT_NE(span_hash(s.data(), s.size(), &wild), h) << len << " at " << at;
        EXPECT_EQ(wild, c == '\x01' || c == '\x02') << len << " at " << at;
      }
    }
  }
  EXPECT_NE(span_hash("ab", 2), span_hash("ab\0", 3));  // the length counts
}

// A random name over few letters, of a length from every case of the hash,
// now and then with a wildcard byte; names share long beginnings, as in
// real code.
std::string random_name(std::mt19937& rng, bool wild) {
  static const char* const stems[] = {"", "ab", "abababab", "abababab_abababa", "b_abababab"};
  std::string s = stems[rng() % 5];
  size_t extra = rng() % 5;
  for (size_t k = 0; k < extra; ++k)
    s += "ab_\x81"[rng() % 4];
  if (wild && !s.empty())
    s[rng() % s.size()] = rng() % 2 ? kAnyOne : kAnyRun;
  return s;
}

int linear_fun(int start, const std::string& pattern) {
  for (int k = std::max(start, 0); k < g_tab.fun_no; ++k) {
    if (match(pattern.c_str(), g_tab.Finf[k].name.c_str()))
      return k;
  }
  return -1;
}

void register_fun(const std::string& name, const char* file) {
  g_tab.Fun.num = 1;
  new_fun_entry(0, name);
  add_fun(kFunction, file, 1, "");
}

TEST_F(LookupIndex, FunctionLookupsAgreeWithTheInOrderSearch) {
  std::mt19937 rng(31337);
  g_opt.file_list = {"b.c"};  // a definition from b.c displaces one from elsewhere
  capture_messages quiet;
  for (int step = 0; step < 3000; ++step) {
    std::string name = random_name(rng, rng() % 8 == 0);
    if (rng() % 4 == 0) {
      register_fun(random_name(rng, rng() % 20 == 0), rng() % 3 == 0 ? "b.c" : "a.c");
      continue;
    }
    int start = static_cast<int>(rng() % (g_tab.fun_no + 2)) - 1;
    ASSERT_EQ(ser_fun_next(start, name.c_str()), linear_fun(start, name))
        << "step " << step << " name [" << org_search_str(name.c_str()) << "] from " << start;
  }
  reset_options();
}

// The record an in-order search gives add_call for `caller`: the first
// one of the name not closed, else with `any_record` the first one.
int expected_caller(const std::string& caller, bool any_record) {
  int first = linear_fun(0, caller);
  for (int k = first; k >= 0; k = linear_fun(k + 1, caller)) {
    if (!g_tab.Finf[k].closed)
      return k;
  }
  return any_record ? first : -1;
}

TEST_F(LookupIndex, RememberedCallerAgreesWithTheInOrderSearch) {
  // Calls come a body at a time with the same caller, while definitions
  // are added, displaced and closed in between (a definition once closed
  // stays closed, as in the pass), and the tables emptied now and then.
  std::mt19937 rng(2024);
  g_opt.file_list = {"b.c"};
  capture_messages quiet;
  const std::vector<std::string> callers = {"f", "g", "abababab_abababa_", "abababab_abababa",
                                            std::string("f") + kAnyRun, ""};
  const std::vector<std::string> callees = {"x", "y", "f", "g", "zz_top", "abababab_abababa"};
  std::string caller = callers[0];
  for (int step = 0; step < 20000; ++step) {
    switch (rng() % 16) {
      case 0:
        caller = callers[rng() % callers.size()];
        break;
      case 1:
        if (g_tab.fun_no < 60)
          register_fun(callers[rng() % 4], rng() % 3 == 0 ? "b.c" : "a.c");
        break;
      case 2:
        if (g_tab.fun_no > 0)
          g_tab.Finf[rng() % g_tab.fun_no].closed = 1;
        break;
      case 3:
        if (rng() % 50 == 0)
          reset_tables();
        break;
      default: {
        const std::string& callee = callees[rng() % callees.size()];
        bool any = rng() % 2 == 0;
        int want = caller.empty() ? -1 : expected_caller(caller, any);
        std::vector<int> before;
        for (int k = 0; k < g_tab.fun_no; ++k)
          before.push_back(static_cast<int>(g_tab.Finf[k].callees().size()));
        int got = add_call(caller.c_str(), callee.c_str(), any);
        ASSERT_EQ(got, want < 0 ? -1 : 0) << "step " << step << " caller [" << caller << "]";
        for (int k = 0; k < g_tab.fun_no; ++k) {
          if (k != want) {
            ASSERT_EQ(static_cast<int>(g_tab.Finf[k].callees().size()), before[k]) << "step " << step << " record " << k;
          }
        }
        if (want >= 0 && g_tab.Finf[want].kind != kSelfCalling) {
          int b = ser_fun(callee.c_str());
          if (b < 0)
            b = kExternBase + *g_tab.ext_names.find(callee);
          const fun_info& r = g_tab.Finf[want];
          ASSERT_NE(std::find(r.callees().begin(), r.callees().end(), b), r.callees().end())
              << "step " << step;
        }
      }
    }
  }
  reset_options();
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
  arg_slots names, types;
  const arg_slots& n = names;
  const arg_slots& t = types;
  for (int k = 0; k < 40; ++k)
    EXPECT_FALSE(n[k].has_value()) << k;
  types[3] = "int";
  names[0] = std::string();
  EXPECT_EQ(t[3], "int");
  EXPECT_FALSE(t[2].has_value());
  EXPECT_FALSE(t[4].has_value());
  EXPECT_EQ(n[0], "");
  EXPECT_FALSE(n[1].has_value());
}

}  // namespace
}  // namespace kavel
