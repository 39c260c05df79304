// The analysers run on token tables made from short C texts: the text is fed
// to the reader, its first line loaded, and the analyser started on a token.
#include "scanner/decl_analysis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scanner/tokenizer.h"
#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/name_checks.h"
#include "test_util.h"

namespace kavel {
namespace {

class Analysis : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_below_driver();
    lc = 0;
    hl = 0;
  }

  // Loads the first line of `text`.
  void load(const std::string& text) {
    feed_source(text);
    ASSERT_EQ(next_line(0, lc), 0);
  }
  // Index of the first token equal to `t` on the current line.
  static int at(const char* t) {
    for (int i = 0; i < g_scan.token_no; ++i) {
      if (std::strcmp(g_scan.token[i], t) == 0)
        return i;
    }
    ADD_FAILURE() << "no token " << t;
    return -1;
  }
  static std::string tok(int i) { return g_scan.token[i]; }
  int args(const std::string& text, int pass = 1, int depth = 0) {
    load(text);
    return ana_args(static_cast<scan_pass>(pass), depth, 0, lc, hl, kCallArgs);
  }
  // The index where the statement ended; `header` tells whether a header did.
  int decl(const std::string& text, int pass = 1, int depth = 0, int header_flag = 0,
           const char* caller = "") {
    load(text);
    decl_end r = ana_decl(static_cast<scan_pass>(pass), depth, header_flag, 0, lc, hl, caller);
    header = r.header;
    return r.at;
  }
  // Argument texts of entry `e`; "<null>" for a slot without text.
  static std::vector<std::string> texts(int e) {
    std::vector<std::string> v;
    for (int j = 0; j < g_tab.Fun.arg_cnt[e]; ++j) {
      const opt_text& a = g_tab.Fun.arg[e][j];
      v.push_back(a ? *a : "<null>");
    }
    return v;
  }
  static std::vector<std::string> entries() {
    std::vector<std::string> v;
    for (int n = 0; n < g_tab.Fun.num; ++n)
      v.push_back(*g_tab.Fun.name[n]);
    return v;
  }
  static int reg(const char* name) {
    g_tab.Fun.num = 1;
    new_fun_entry(0, name);
    return add_fun(kFunction, "a.c", 1, "");
  }

  int lc = 0;
  int hl = 0;
  bool header = false;
};

using strings = std::vector<std::string>;

TEST_F(Analysis, NestedCallsInArguments) {
  int r = args("f(a, g(b), c) x\n");
  EXPECT_EQ(r, at("x") - 1);
  EXPECT_EQ(entries(), (strings{"f", "g"}));
  EXPECT_EQ(texts(0), (strings{"a", "g", "c"}));
  EXPECT_EQ(texts(1), (strings{"b"}));
  EXPECT_EQ(hl, 1);
}

struct header_case {
  const char* text;
  strings want;
};

TEST_F(Analysis, HeaderArgumentTexts) {
  const header_case cases[] = {
      {"f(void)\n", {}},
      {"f(int)\n", {}},
      {"f(int a, int b)\n", {"", ""}},
      {"f(a, b)\n", {"a", "b"}},
      {"f(char *p)\n", {""}},
      {"f(x * y, *p)\n", {"x* y", "* p"}},
      {"f(\"a b\", 'c')\n", {"\"a b\"", "'c'"}},
      // A type word alone steps the index back, but never below the first slot.
      {"f(int, char, x)\n", {"x"}},
      {"f((int) x)\n", {"x"}},
      {"f(int (*cmp)(int, int), n)\n", {"", "n"}},
      {"f(a,\n  b /* note ) */,\n  c)\n", {"a", "b", "c"}},
      {"f(a, // first\n  b)\n", {"a", "b"}},
  };
  for (const header_case& c : cases) {
    SCOPED_TRACE(c.text);
    reset_tables();
    reset_scan();
    lc = 0;
    ASSERT_GE(args(c.text), 0);
    EXPECT_EQ(texts(0), c.want);
  }
}

TEST_F(Analysis, DirectiveLinesInsideArgumentsArePassedOver) {
  ASSERT_GE(args("f(a,\n#if X\n  b)\n"), 0);
  EXPECT_EQ(texts(0), (strings{"a", "b"}));
  EXPECT_EQ(lc, 3);
}

TEST_F(Analysis, ArgumentTextsOnlyAtFileLevelInPassOne) {
  ASSERT_GE(args("f(a, g(b))\n", 1, 1), 0);
  EXPECT_EQ(entries(), (strings{"f", "g"}));
  EXPECT_EQ(texts(0), (strings{"", ""}));
  reset_scan();
  ASSERT_GE(args("f(a, g(b))\n", 2, 0), 0);
  EXPECT_EQ(entries(), (strings{"f", "g"}));
}

TEST_F(Analysis, ParenthesisStartingALineOpensNoEntry) {
  ASSERT_GE(args("f(a, g\n(b))\n"), 0);
  EXPECT_EQ(entries(), (strings{"f"}));
}

TEST_F(Analysis, EndOfFileInsideTheGroup) {
  EXPECT_EQ(args("f(a, b\n"), -1);
  reset_scan();
  EXPECT_EQ(args("f(a, \"open\n"), -1);
}

// After a nested call closes, the index is the argument count; the slot there
// decides whether the analysis complains.
TEST_F(Analysis, FailToAnalizeWhenTheSlotHoldsNoText) {
  capture_stdout out;
  ASSERT_GE(args("f(g(b) + 1, c)\n"), 0);
  EXPECT_EQ(out.text(), "fail to analize: f\n");
  EXPECT_EQ(texts(0), (strings{"g", "+ 1", "c"}));
}

TEST_F(Analysis, SlotLeftByAnEarlierAnalysisTakesTheTokensSilently) {
  ASSERT_GE(args("h(x, y)\n"), 0);
  reset_scan();
  capture_stdout out;
  ASSERT_GE(args("f(g(b) + 1, c)\n"), 0);
  EXPECT_EQ(out.text(), "");
  EXPECT_EQ(texts(0), (strings{"g", "c"}));
}

std::string list(const std::string& sep, int n, const std::string& head, const std::string& tail) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += head + std::to_string(i) + tail + (i + 1 < n ? sep : "");
  return s;
}

TEST_F(Analysis, LongGroupsAreAnalysedWhole) {
  // The group's own name and 499 nested calls.
  std::string nested = "f(" + list("", 499, "g", "(") + "x" + std::string(500, ')') + "\n";
  ASSERT_GE(args(nested), 0);
  EXPECT_EQ(g_tab.Fun.num, 500);
  EXPECT_EQ(*g_tab.Fun.name[499], "g498");
  reset_scan();
  ASSERT_GE(args("f(" + list(", ", 500, "a", "") + ")\n"), 0);
  EXPECT_EQ(g_tab.Fun.arg_cnt[0], 500);
  EXPECT_EQ(*g_tab.Fun.arg[0][499], "a499");
}

TEST_F(Analysis, ManyVariableEntriesAreAnalysedWhole) {
  for (int i = 0; i < 30; ++i)
    add_pfun(true, "v" + std::to_string(i), kPointerParam);
  ASSERT_GE(args("f(" + list(", ", 30, "v", "") + ")\n", 2, 1), 0);
  EXPECT_EQ(g_tab.Fun.num, 31);
  pfun_info& p = *add_pfun(true, "p", kPointerVar);
  for (int i = 0; i < 30; ++i)
    p.funs.push_back("h" + std::to_string(i));
  p.fun_cnt = 30;
  reset_scan();
  ASSERT_GE(args("f(p)\n", 2, 1), 0);
  EXPECT_EQ(g_tab.Fun.num, 31);
  EXPECT_EQ(*g_tab.Fun.name[30], "h29");
}

TEST_F(Analysis, VariablesPassedAsArgumentsInPassTwo) {
  reg("apply");
  reg("visit");
  add_pfun(true, "visit", kDeclaredFun);
  pfun_info* fp = add_pfun(true, "fp", kPointerVar);
  fp->funs = {"a", "b", "c"};
  fp->fun_cnt = 3;
  fp->fun_done = 1;
  add_pfun(true, "op", kPointerParam);
  add_pfun(true, "idle", kPointerVar);
  ASSERT_GE(args("apply(list, visit, fp, op, idle, fp(1))\n", 2, 1), 0);
  // A declared function becomes a callee of the receiver; a pointer brings
  // the names assigned to it and not yet used; the others bring themselves.
  ASSERT_EQ(g_tab.Finf[0].callees().size(), 1u);
  EXPECT_EQ(g_tab.Finf[0].callees()[0], 1);
  EXPECT_EQ(entries(), (strings{"apply", "b", "c", "op", "idle", "fp"}));
}

// Pass 2 takes a body's groups apart on a walk of its own, which keeps
// only the entries' names. On random groups over several lines (nested
// parentheses, separators and marks before them, literals, comments, macro
// prefixes, variables passed along) it must end where the walk at file
// level ends, with the same entries and the same line count.
TEST_F(Analysis, BodyGroupsEndWithTheEntriesOfTheFileLevelWalk) {
  static const char* const kParts[] = {"f",  "g_1", "(",  ")",   ",",  "-",  ">",   "*", "&",
                                       "1",  "\"a,)\"", "'('", "/* ) */", "// x\n", "\n",
                                       "M_x", "fp", "if", "=",  "int", "struct s", " "};
  g_names.mac_name.append("M_");
  add_pfun(true, "fp", kPointerVar)->fun_cnt = 0;
  std::mt19937 rng(99);
  std::uniform_int_distribution<size_t> part(0, sizeof kParts / sizeof kParts[0] - 1);
  for (int round = 0; round < 3000; ++round) {
    // A group whose own '(' opens no entry ends at its ')' all the same.
    std::string text = round % 3 == 0 ? "- (" : round % 3 == 1 ? "M_x(" : "call(";
    for (int k = static_cast<int>(rng() % 30); k > 0; --k)
      text += std::string(kParts[part(rng)]) + " ";
    text += ")))))))\n";
    std::vector<int> ends;
    std::vector<std::vector<std::string>> names;
    std::vector<int> lines;
    for (int depth : {0, 1}) {
      reset_scan();
      lc = 0;
      ends.push_back(args(text, 2, depth));
      names.push_back(entries());
      lines.push_back(lc);
    }
    ASSERT_EQ(ends[0], ends[1]) << text;
    ASSERT_EQ(names[0], names[1]) << text;
    ASSERT_EQ(lines[0], lines[1]) << text;
  }
}

TEST_F(Analysis, ParamSkipsNestedParentheses) {
  load("f(int (*cmp)(int, int), n)\n");
  EXPECT_EQ(ana_param(at("int"), lc), at(",") + 3);
  EXPECT_EQ(tok(at(",") + 4), "n");
}

struct decl_case {
  const char* text;
  bool header;
  int end_line;     // line of the returned token
  const char* end;  // the returned token
};

TEST_F(Analysis, HeaderOrDeclaration) {
  const decl_case cases[] = {
      {"int f(int a)\n", true, 1, ")"},
      {"int f(int a) {\n", true, 1, ")"},
      {"int f(a, b) // old style\nint a;\n", true, 1, ")"},
      {"int f(int);\n", false, 1, ";"},
      {"int x = f(1);\n", false, 1, ";"},
      {"int (*p)(), q;\n", false, 1, ";"},
      {"int f(int) /* closed */;\n", false, 1, ";"},
      // An unclosed comment after the ')' reads as a declaration.
      {"int f(int) /* open\n still */ ;\n", false, 2, ";"},
      {"int f(int) /* closed */ {\n", true, 1, ")"},
      // A type word before '(' names no function, wherever the pointer
      // declarator stands.
      {"static int (*f)();\n", false, 1, ";"},
      {"void (CDECL *hook)(const char*, ...);\n", false, 1, ";"},
      // A function returning a pointer to a function: the returned
      // function's parameters stand before what decides.
      {"void (*dl_sym(void *h, const char *z))(void);\n", false, 1, ";"},
      {"void (*dl_sym(void *h, const char *z))(void) {\n", true, 1, ")"},
      // A '(' that starts a line follows the name that ended the line before.
      {"int f\n(int a)\n{\n  return g(a);\n}\nint y;\n", true, 2, ")"},
      // Calls and members inside braces never end the statement.
      {"int t[] = {1, f(x)->n};\n", false, 1, ";"},
      {"struct s {\n  void (*fn)(int (*)(void));\n  int n;\n} v;\n", false, 4, ";"},
      {"typedef int (*cmp)(int, int);\n", false, 1, ";"},
      {"typedef int fn_t(int)\n;\n", false, 2, ";"},
      {"int x = sizeof(int);\n", false, 1, ";"},
  };
  for (const decl_case& c : cases) {
    SCOPED_TRACE(c.text);
    reset_tables();
    reset_scan();
    lc = 0;
    int r = decl(c.text);
    ASSERT_GE(r, 0);
    EXPECT_EQ(header, c.header);
    EXPECT_EQ(lc, c.end_line);
    EXPECT_EQ(tok(r), c.end);
  }
}

TEST_F(Analysis, HeaderLeavesItsGroupForRegistration) {
  ASSERT_GE(decl("static char *name_of(int code, char *buf)\n"), 0);
  ASSERT_TRUE(header);
  EXPECT_EQ(*g_tab.Fun.name[0], "name_of");
  EXPECT_EQ(texts(0), (strings{"", ""}));
}

TEST_F(Analysis, EndOfFileInsideStatement) {
  EXPECT_EQ(decl("int x = {1, 2\n"), -1);
  reset_scan();
  EXPECT_EQ(decl("int f(int a\n"), -1);
}

TEST_F(Analysis, TypedefNamesRecordedInPassOne) {
  ASSERT_GE(decl("typedef unsigned long ulong;\n"), 0);
  EXPECT_EQ(check_type("ulong"), 1);
  reset_scan();
  ASSERT_GE(decl("typedef struct node\n{ int v; } node_t\n;\n"), 0);
  EXPECT_EQ(check_type("node_t"), 0);  // the ';' had no token before it on its line
  reset_scan();
  ASSERT_GE(decl("typedef int pair_t;\n", 2), 0);
  EXPECT_EQ(check_type("pair_t"), 0);  // the table is complete before pass 2
  reset_scan();
  ASSERT_GE(decl("typedef int fn_t(int), (*cb_t)(int);\n", 2), 0);
  EXPECT_EQ(g_tab.gfun_cnt, 0);  // a typedef declares no variable
}

struct var_case {
  const char* text;
  int depth;
  int header_flag;
  bool global;
  const char* name;
  int kind;
};

TEST_F(Analysis, FunctionNameVariablesInPassTwo) {
  const var_case cases[] = {
      {"int (*fp)();\n", 0, 0, true, "fp", 1},  {"int (*fp)();\n", 1, 0, false, "fp", 1},
      {"int (*fp)();\n", 0, 1, false, "fp", 2},  // old-style parameter
      {"int f(int);\n", 0, 0, true, "f", 0},    {"int x = f(1);\n", 1, 0, false, "f", 0},
  };
  for (const var_case& c : cases) {
    SCOPED_TRACE(c.text);
    reset_tables();
    reset_scan();
    ASSERT_GE(decl(c.text, 2, c.depth, c.header_flag), 0);
    EXPECT_EQ(g_tab.gfun_cnt, c.global ? 1 : 0);
    EXPECT_EQ(g_tab.lfun_cnt, c.global ? 0 : 1);
    const pfun_info& p = c.global ? g_tab.Pfun_g[0] : g_tab.Pfun_l[0];
    EXPECT_EQ(p.name, c.name);
    EXPECT_EQ(p.kind, c.kind);
    EXPECT_EQ(p.fun_cnt, 0);
    EXPECT_EQ(p.init, 0);
  }
}

TEST_F(Analysis, NoVariablesInPassOne) {
  ASSERT_GE(decl("int (*fp)();\n", 1), 0);
  EXPECT_EQ(g_tab.gfun_cnt, 0);
}

TEST_F(Analysis, CallsInInitialisersInPassTwo) {
  reg("main");
  reg("f");
  ASSERT_GE(decl("int t[] = {1, f(x)->n, printf(\"\")};\n", 2, 1, 0, "main"), 0);
  ASSERT_EQ(g_tab.Finf[0].callees().size(), 1u);  // printf is no function of the sources
  EXPECT_EQ(g_tab.Finf[0].callees()[0], 1);
  reset_scan();
  // Without an initialiser the group is a declaration, not a call.
  ASSERT_GE(decl("int g(int);\n", 2, 1, 0, "main"), 0);
  EXPECT_EQ(g_tab.Finf[0].callees().size(), 1u);
}

struct init_case {
  const char* text;
  bool assigned;
};

TEST_F(Analysis, FunctionInitialiserRule) {
  const init_case cases[] = {
      {"int (*fp)() = {.x = f};\n", true},
      {"int (*fp)() = f;\n", false},
      {"int (*fp)() = {a, .x = f};\n", false},  // f belongs to a later declarator
      {"int (*fp)() = {.x = f, .y = g};\n", true},
  };
  for (const init_case& c : cases) {
    SCOPED_TRACE(c.text);
    reset_tables();
    reset_scan();
    add_pfun(true, "f", kDeclaredFun);
    add_pfun(true, "g", kDeclaredFun);
    ASSERT_GE(decl(c.text, 2), 0);
    ASSERT_EQ(g_tab.gfun_cnt, 3);
    const pfun_info& p = g_tab.Pfun_g[2];
    EXPECT_EQ(p.name, "fp");
    EXPECT_EQ(p.init, c.assigned ? 1 : 0);
    EXPECT_EQ(p.fun_cnt, c.assigned ? 1 : 0);
    if (c.assigned) {
      EXPECT_EQ(p.funs.size(), 1u);
    }
  }
}

}  // namespace
}  // namespace kavel
