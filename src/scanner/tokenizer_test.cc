// Tokenizer: lines in every start mode, the two-byte rules, and the skipping
// operations that follow comments, literals and directives across lines.
#include "scanner/tokenizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/options.h"
#include "test_util.h"

namespace kavel {
namespace {

using tokens = std::vector<std::string>;

tokens table() {
  return tokens(g_scan.token, g_scan.token + g_scan.token_no);
}

// Tokenizes `line` as given (embedded NULs included) from line_buf.
tokens split(const std::string& line, int mode) {
  std::memset(g_scan.line_buf, 'Z', g_scan.buf_store.size());
  std::memcpy(g_scan.line_buf, line.data(), line.size());
  g_scan.line_buf[line.size()] = 0;
  set_token(g_scan.line_buf, mode);
  EXPECT_STREQ(g_scan.token[g_scan.token_no], "");
  return table();
}

class TokenizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_scan();
    reset_options();
  }
  void TearDown() override { reset_scan(); }
  int lc = 0;
};

struct split_case {
  const char* name;
  std::string line;
  int mode;
  tokens want;
};

TEST_F(TokenizerTest, SplitsLines) {
  const split_case cases[] = {
      {"separators", "a=b;\n", kText, {"a", "=", "b", ";"}},
      {"blanks between words", "x  y\n", kText, {"x", "y"}},
      {"blank line", " \t \n", kText, {}},
      {"literal keeps separators", "f(\"a b;c\")\n", kText, {"f", "(", "\"", "a b;c", "\"", ")"}},
      {"comment splits on blanks", "/* one (two) */ x\n", kText, {"/*", "one", "(two)", "*/", "x"}},
      {"line comment", "a // b\n", kText, {"a", "//"}},
      {"escaped quote starts no word", "p = '\\''\n", kText, {"p", "=", "'", "'"}},
      {"escape inside a word", "s=\"a\\\"b\"", kText, {"s", "=", "\"", "a\\\"b", "\""}},
      {"a word then its separator", "a&&b|c", kText, {"a", "&", "&", "b", "|", "c"}},
      {"slash alone", "a/b", kText, {"a", "/", "b"}},
      {"comment closed mid-line", "/*x*/y", kText, {"/*", "x", "*/", "y"}},
      {"directive with continuation", "#if X \\\n", kText, {"#", "if", "X", "\\"}},
      {"lone CR belongs to the word", "a\rb\n", kText, {"a\rb"}},
      {"open literal runs to the end", "\"abc\n", kText, {"\"", "abc\n"}},
      {"comment keeps its line feed", "one\n", kBlockComment, {"one\n"}},
      {"line starting inside a comment", "rest */ y\n", kBlockComment, {"rest", "*/", "y"}},
      {"line starting inside a string", "abc\" z\n", kString, {"abc", "\"", "z"}},
      {"line starting inside a char", "x' z\n", kChar, {"x", "'", "z"}},
      {"double quote inside a char", "'\"'", kText, {"'", "\"", "'"}},
      // A cut piece may end in a backslash or a lead byte; whatever lies
      // past the terminator must not be read.
      {"backslash before the end", std::string("\"ab\\\0\"zz", 8), kText, {"\"", "ab\\"}},
      {"lead byte before the end", std::string("/* \x81\0*/zz", 9), kText, {"/*", "\x81"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(split(c.line, c.mode), c.want) << c.name;
  }
}

TEST_F(TokenizerTest, SeparatorTokensPointIntoTable) {
  // The table's order is what other parts rely on; '&' and '|' appear twice
  // and their tokens take the first entries.
  const std::string order = " \t\n\"';:,.{}=!-+*/%><|&()[]^~?\\#&|";
  for (int e = 0; e < 33; e++)
    EXPECT_EQ(sep_tab[2 * e], order[e]) << e;
  EXPECT_EQ(sep_tab[66], 0);
  for (int c = 0; c < 256; c++) {
    size_t at = c == 0 ? std::string::npos : order.find(static_cast<char>(c));
    EXPECT_EQ(sep_index(static_cast<unsigned char>(c)), at == std::string::npos ? -1 : int(at))
        << c;
  }
  for (char c : std::string(";:,.{}=!-+*%><|&()[]^~?\\#")) {
    split(std::string("a") + c + "b", kText);
    ASSERT_EQ(g_scan.token_no, 3) << c;
    EXPECT_EQ(g_scan.token[1], sep_tab + 2 * sep_index(static_cast<unsigned char>(c))) << c;
  }
}

TEST_F(TokenizerTest, TwoByteCharacters) {
  struct {
    const char* name;
    int euc;
    std::string line;
    tokens want;
  } cases[] = {
      // 0x95 0x5C is one Shift-JIS character; its second byte is no escape.
      {"sjis trail backslash in literal",
       0,
       "s=\"\x95\x5C\";",
       {"s", "=", "\"", "\x95\x5C", "\"", ";"}},
      {"sjis trail backslash in text",
       0,
       "a\x95\x5C"
       "b",
       {"a\x95", "\\", "b"}},
      {"sjis trail star in comment", 0, "/* \x81*/ x */", {"/*", "\x81*/", "x", "*/"}},
      // 0xA4 is a single byte in Shift-JIS, a lead byte in EUC.
      {"euc lead takes backslash", 1, "x=\"\xA4\\\";", {"x", "=", "\"", "\xA4\\", "\"", ";"}},
      {"same bytes as sjis", 0, "x=\"\xA4\\\";", {"x", "=", "\"", "\xA4\\\";"}},
      {"euc in comment", 1, "/*\xB0*/", {"/*", "\xB0*/"}},
      {"no rule in text", 1, "\xB0;", {"\xB0", ";"}},
  };
  for (const auto& c : cases) {
    g_opt.euc_flag = c.euc;
    EXPECT_EQ(split(c.line, kText), c.want) << c.name;
  }
}

TEST_F(TokenizerTest, ManyTokensFitTheTable) {
  std::string line(1023, ';');
  EXPECT_EQ(split(line, kText).size(), 1023u);
  // Longer than any line read so far; the tail is dropped instead of overrunning.
  std::string big(g_scan.token_room + 2000, ';');
  std::vector<char> buf(big.begin(), big.end());
  buf.push_back(0);
  set_token(buf.data(), kText);
  EXPECT_EQ(g_scan.token_no, g_scan.token_room);
  EXPECT_STREQ(g_scan.token[g_scan.token_room], "");
  // A line read makes room for all its tokens, and is one line however long.
  feed_source(big + "\nx\n");
  int lines = 0;
  ASSERT_EQ(next_line(kText, lines), 0);
  EXPECT_EQ(g_scan.token_no, static_cast<int>(big.size()));
  ASSERT_EQ(next_line(kText, lines), 0);
  EXPECT_STREQ(g_scan.token[0], "x");
  EXPECT_EQ(lines, 2);
}

TEST_F(TokenizerTest, NextLineKeepsTheLineAsRead) {
  EXPECT_STREQ(g_scan.token[g_scan.token_no], "");  // before any read
  feed_source("int a;\r\nb\n");
  ASSERT_EQ(next_line(kText, lc), 0);
  EXPECT_EQ(lc, 1);
  EXPECT_STREQ(g_scan.line_org, "int a;\n");
  EXPECT_STREQ(g_scan.line_buf, "int");  // cut by set_token
  EXPECT_EQ(table(), (tokens{"int", "a", ";"}));
  ASSERT_EQ(next_line(kText, lc), 0);
  ASSERT_EQ(next_line(kText, lc), -1);
  EXPECT_EQ(lc, 2);
  EXPECT_EQ(table(), tokens{"b"});  // end of file changes nothing
}

TEST_F(TokenizerTest, NulBytesAreBlanks) {
  // A NUL cut the line for the string functions: the comment stayed open
  // and swallowed the next line's definition.
  feed_source(std::string("/* a\0b */ int\0f(\0);\n\0\0\n", 23));
  ASSERT_EQ(next_line(kText, lc), 0);
  EXPECT_EQ(table(), (tokens{"/*", "a", "b", "*/", "int", "f", "(", ")", ";"}));
  EXPECT_STREQ(g_scan.line_org, "/* a b */ int f( );\n");
  ASSERT_EQ(next_line(kText, lc), 0);
  EXPECT_STREQ(g_scan.line_org, "  \n");
  EXPECT_EQ(g_scan.token_no, 0);
  EXPECT_EQ(next_line(kText, lc), -1);
}

TEST_F(TokenizerTest, SkipCommentAcrossLines) {
  feed_source("x /* a\n b \"\n c */ y\n");
  next_line(kText, lc);
  ASSERT_EQ(g_scan.token_no, 3);
  int i = skip_comment(1, lc);
  EXPECT_EQ(lc, 3);
  ASSERT_EQ(i, 1);
  EXPECT_STREQ(g_scan.token[i + 1], "y");
}

TEST_F(TokenizerTest, SkipLineCommentConsumesTheRun) {
  feed_source("a // x\n// y\n  // z\nb; // w\n");
  next_line(kText, lc);
  EXPECT_EQ(skip_line_comment(1, lc), 0);
  EXPECT_EQ(lc, 4);
  EXPECT_EQ(table(), (tokens{"b", ";", "//"}));
}

TEST_F(TokenizerTest, SkipQuoteAcrossLines) {
  feed_source("s = \"ab\\\ncd\"; c = 'x';\n");
  next_line(kText, lc);
  int i = skip_quote(2, lc, '"');
  EXPECT_EQ(lc, 2);
  EXPECT_STREQ(g_scan.qstr_buf, "\"ab\\\ncd\"");
  ASSERT_EQ(i, 1);
  EXPECT_EQ(skip_quote(i + 4, lc, '\''), i + 6);
  EXPECT_STREQ(g_scan.qchr_buf, "'x'");
  EXPECT_STREQ(g_scan.qstr_buf, "\"ab\\\ncd\"");
}

TEST_F(TokenizerTest, EndOfFileInsideAConstruct) {
  struct {
    const char* name;
    const char* text;
    int index;
    int (*skip)(int, int&);
    int lines;
  } cases[] = {
      {"comment", "/* a\nb\n", 0, skip_comment, 2},
      {"line comments", "// a\n// b", 0, skip_line_comment, 2},
      {"string", "\"a\nb\n", 0, [](int i, int& l) { return skip_quote(i, l, '"'); }, 2},
      {"char", "x'a\n", 1, [](int i, int& l) { return skip_quote(i, l, '\''); }, 1},
  };
  for (const auto& c : cases) {
    reset_scan();
    lc = 0;
    feed_source(c.text);
    next_line(kText, lc);
    EXPECT_EQ(c.skip(c.index, lc), -1) << c.name;
    EXPECT_EQ(lc, c.lines) << c.name;
  }
}

TEST_F(TokenizerTest, LiteralBufferBounds) {
  const std::string a(200, 'a'), b(200, 'b'), c(200, 'c');
  struct {
    const char* name;
    std::string text;
    std::string want;
  } cases[] = {
      {"one line of 300", "\"" + std::string(300, 'x') + "\";\n",
       "\"" + std::string(300, 'x') + "\""},
      // The bound is tested before each token: the second line still goes in.
      {"three lines of 200", "\"" + a + "\n" + b + "\n" + c + "\";\n",
       "\"" + a + "\n" + b + "\n\""},
      // A token that passes the buffer is cut; the closing quote still fits.
      {"cut at the buffer's end",
       "\"" + std::string(250, 'a') + "\n" + std::string(400, 'b') + "\"\n",
       "\"" + std::string(250, 'a') + "\n" + std::string(258, 'b') + "\""},
  };
  for (const auto& k : cases) {
    reset_scan();
    feed_source(k.text);
    next_line(kText, lc);
    EXPECT_GE(skip_quote(0, lc, '"'), 0) << k.name;
    EXPECT_EQ(std::string(g_scan.qstr_buf), k.want) << k.name;
  }
}

TEST_F(TokenizerTest, PassDirectives) {
  struct {
    const char* name;
    const char* text;
    int depth, cond;
    int result, cond_after, lines;
    const char* first;  // first token left in the table
    const char* message;
  } cases[] = {
      {"not a directive", "x;\n", 1, 0, 0, 0, 1, "x", ""},
      {"if family counts in a body", "#ifdef A\n#if B \\\n && C\n#ifndef D\ny\n", 1, 0, 0, 3, 5,
       "y", ""},
      {"endif closes", "#endif\n#endif\ny\n", 2, 2, 0, 0, 3, "y", ""},
      {"nothing counts at depth 0", "#if A\n#endif\n#endif\ny\n", 0, 0, 0, 0, 4, "y", ""},
      {"unmatched endif", "#endif\ny\n", 1, 0, 0, 0, 2, "y",
       "syntax error; ifdef statement at 1 line of \"f.c\"\n"},
      {"others change nothing", "#elif B\n#else\n#pragma x \\\ny\n#\n#define Q(a) \\\n a\nz\n", 1,
       1, 0, 1, 8, "z", ""},
      {"continuation ends at an empty line", "#define A \\\n\nx\n", 1, 0, 0, 0, 3, "x", ""},
      {"end of file in continuation", "#define A \\\n", 1, 0, -1, 0, 1, "#", ""},
      {"end of file after directive", "#if A\n", 1, 0, -1, 1, 1, "#", ""},
  };
  for (const auto& c : cases) {
    reset_scan();
    lc = 0;
    g_scan.pass.depth = c.depth;
    g_scan.pass.cond_depth = c.cond;
    g_scan.pass.file_name = "f.c";
    feed_source(c.text);
    capture_messages msg;
    EXPECT_EQ(next_code_line(lc), c.result) << c.name;
    EXPECT_EQ(g_scan.pass.cond_depth, c.cond_after) << c.name;
    EXPECT_EQ(lc, c.lines) << c.name;
    EXPECT_STREQ(g_scan.token[0], c.first) << c.name;
    EXPECT_EQ(msg.text(), c.message) << c.name;
  }
  reset_scan();
  lc = 0;
  g_scan.pass.depth = 1;
  g_scan.pass.file_name = "f.c";
  feed_source("x\n#endif\ny\n");
  capture_messages msg;
  next_code_line(lc);
  EXPECT_EQ(next_code_line(lc), 0);
  EXPECT_EQ(msg.text(), "syntax error; ifdef statement at 2 line of \"f.c\"\n");
  EXPECT_STREQ(g_scan.token[0], "y");
}

}  // namespace
}  // namespace kavel
