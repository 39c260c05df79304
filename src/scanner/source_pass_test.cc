// The pass over a whole source: where each function's text starts and ends,
// and which body pass 2 attributes calls to. Offsets are checked as exact
// byte positions, so LF and CR LF sources must agree on text and differ only
// by the bytes each line really has.
#include "scanner/source_pass.h"

#include <gtest/gtest.h>

#include <string>

#include "scanner/tokenizer.h"
#include "tables/fun_table.h"
#include "tables/name_checks.h"
#include "test_util.h"

namespace kavel {
namespace {

class SourcePass : public ::testing::Test {
 protected:
  void SetUp() override { reset_below_driver(); }
  void TearDown() override { reset_below_driver(); }

  void scan(const std::string& text, int pass, const char* name = "t.c") {
    feed_source(text);
    scan_source(name, static_cast<scan_pass>(pass), pass == 1 ? &g_names.mac_cnt : nullptr);
    g_scan.fp.close();
  }
  void both_passes(const std::string& text) {
    scan(text, 1);
    g_tab.gfun_cnt = g_tab.lfun_cnt = 0;
    scan(text, 2);
  }
  const fun_info& rec(const char* name) {
    int n = ser_fun(name);
    EXPECT_GE(n, 0) << name;
    return g_tab.Finf[n < 0 ? 0 : n];
  }
  // Byte offset of the line that begins with `prefix`.
  static long long at(const std::string& text, const std::string& prefix) {
    size_t p = text.find("\n" + prefix);
    return text.compare(0, prefix.size(), prefix) == 0 ? 0 : static_cast<long long>(p + 1);
  }
  static std::string crlf(const std::string& lf) {
    std::string out;
    for (char c : lf) {
      if (c == '\n') out += '\r';
      out += c;
    }
    return out;
  }
};

const char kTwo[] =
    "int x;\n"
    "/* One. */\n"
    "int one(void)\n"
    "{\n"
    "  return 1;\n"
    "} // end of one\n"
    "\n"
    "// Two.\n"
    "int two(void)\n"
    "{\n"
    "#define LOCAL(v) helper(v)\n"
    "  return 2;\n"
    "}\n";

TEST_F(SourcePass, OffsetsAreExactBytePositionsInBothLineEnds) {
  for (const std::string& text : {std::string(kTwo), crlf(kTwo)}) {
    SCOPED_TRACE(text.size());
    reset_below_driver();
    scan(text, 1);
    const fun_info& one = rec("one");
    EXPECT_EQ(one.top_pos(), at(text, "/* One."));
    EXPECT_EQ(one.head_pos(), at(text, "int one"));
    // Just past the closing line, its line end included.
    EXPECT_EQ(one.end_pos(), static_cast<long long>(text.find('\n', text.find("} // end")) + 1));
    // A line that begins with "//" starts the text; the header line after
    // it is read by the comment skipping and gets no offset of its own.
    const fun_info& two = rec("two");
    EXPECT_EQ(two.top_pos(), at(text, "// Two."));
    EXPECT_EQ(two.head_pos(), at(text, "// Two."));
    // The #define inside the body enters a macro record, but the body's
    // closing brace belongs to two.
    EXPECT_EQ(two.end_pos(), static_cast<long long>(text.size()));
    EXPECT_EQ(rec("LOCAL").kind, 1);
    EXPECT_NE(rec("LOCAL").end_pos(), static_cast<long long>(text.size()));
  }
}

TEST_F(SourcePass, SameNamedBodiesPairWithTheirRecordsInOrder) {
  const std::string a = "static int get(void)\n{\n  return first();\n}\n";
  const std::string b = "static int get(void)\n{\n  return second();\n}\n";
  scan(a, 1, "a.c");
  scan(b, 1, "b.c");
  scan(a, 2, "a.c");
  scan(b, 2, "b.c");
  ASSERT_EQ(g_tab.fun_no, 2);
  const fun_info& ra = g_tab.Finf[0];
  const fun_info& rb = g_tab.Finf[1];
  EXPECT_EQ(ra.dup, 1);
  EXPECT_EQ(ra.closed, 1);
  EXPECT_EQ(rb.closed, 1);
  ASSERT_EQ(ra.callees().size(), 1u);
  ASSERT_EQ(rb.callees().size(), 1u);
  EXPECT_STREQ(ext_name(ra.callees()[0] - kExternBase), "first");
  EXPECT_STREQ(ext_name(rb.callees()[0] - kExternBase), "second");
}

TEST_F(SourcePass, EveryNameAssignedToAPointerIsCalled) {
  std::string text = "static void (*fp)(void);\nvoid f(void)\n{\n";
  for (int k = 0; k < 500; k++) text += "  fp = g" + std::to_string(k) + ";\n";
  text += "  (*fp)();\n}\n";
  scan(text, 1);
  capture_messages msgs;
  scan(text, 2);
  EXPECT_EQ(msgs.text(), "");
  EXPECT_EQ(rec("f").callees().size(), 500u);
}

TEST_F(SourcePass, ConditionalLinesInsideAStatementCountOnce) {
  const std::string text =
      "static int setup(int y)\n{\n  int x =\n#ifdef A\n    foo(y);\n#else\n    bar(y);\n"
      "#endif\n  return x;\n}\nint after(void) { return 0; }\n";
  capture_messages msgs;
  both_passes(text);
  EXPECT_EQ(msgs.text(), "");
  EXPECT_GE(ser_fun("after"), 0);
  EXPECT_EQ(rec("setup").end_pos(), at(text, "int after"));
}

}  // namespace
}  // namespace kavel
