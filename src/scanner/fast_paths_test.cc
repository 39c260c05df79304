// The tokenizer and the line reader take whole runs of bytes at a time.
// These tests hold them to the plain byte-at-a-time rules on many random
// lines made of the bytes that matter (separators, quotes, comment marks,
// CR, LF, lead bytes): same tokens, same cuts in the line, same pieces and
// offsets.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "scanner/line_reader.h"
#include "scanner/quiet_lines.h"
#include "scanner/tokenizer.h"
#include "support/messages.h"
#include "support/options.h"
#include "test_util.h"

namespace kavel {
namespace {

// The tokenizer's rules one byte at a time. Returns the tokens and leaves
// the line cut as the rules cut it. One switch over the modes in one loop,
// longer than the rest on purpose: it must read as the plain statement of
// the rules, sharing no step with the fast walk it checks.
std::vector<std::string> reference_tokens(char* line, int mode, bool euc) {
  std::vector<std::string> out;
  std::vector<const char*> starts;
  bool in_word = false;
  auto lead = [&](unsigned char c) { return euc ? c >= 0x80 : is_sjis_lead(c); };
  auto start_word = [&](char* p) {
    if (!in_word) {
      starts.push_back(p);
      out.emplace_back();  // filled in at the end, once the line is cut
      in_word = true;
    }
  };
  auto end_word = [&](char* p) {
    if (in_word) {
      *p = 0;
      in_word = false;
    }
  };
  auto mark = [&](const char* t) {
    starts.push_back(nullptr);
    out.emplace_back(t);
  };
  for (char* p = line; *p; p++) {
    unsigned char c = static_cast<unsigned char>(*p);
    char n = p[1];
    switch (mode) {
      case kBlockComment:
        if (c == '*' && n == '/') {
          mark("*/");
          end_word(p);
          p++;
          mode = kText;
        } else if (c == ' ' || c == '\t') {
          end_word(p);
        } else {
          start_word(p);
          if (lead(c) && n != 0)
            p++;
        }
        break;
      case kLineComment:
        if (n == 0 || n == '\n') {
          end_word(p);
          mode = kText;
        }
        break;
      case kString:
      case kChar:
        if (c == '\\') {
          if (n != 0)
            p++;
        } else if (c == (mode == kString ? '"' : '\'')) {
          mark(mode == kString ? "\"" : "'");
          end_word(p);
          mode = kText;
        } else {
          start_word(p);
          if (lead(c) && n != 0)
            p++;
        }
        break;
      default:
        if (c == '/' && n == '*') {
          mark("/*");
          end_word(p);
          p++;
          mode = kBlockComment;
        } else if (c == '/' && n == '/') {
          mark("//");
          end_word(p);
          p++;
          mode = kLineComment;
        } else if (c == '"' || c == '\'') {
          mark(c == '"' ? "\"" : "'");
          end_word(p);
          mode = c == '"' ? kString : kChar;
        } else if (sep_index(c) >= 0) {
          if (c > ' ')
            mark(std::string(1, static_cast<char>(c)).c_str());
          end_word(p);
        } else {
          start_word(p);
        }
        break;
    }
  }
  for (size_t k = 0; k < out.size(); k++) {
    if (starts[k])
      out[k] = starts[k];
  }
  return out;
}

// A random line of the bytes the rules look at.
std::string random_line(std::mt19937& rng, size_t max_len) {
  static const char kBytes[] = {'a', 'b', '_', '1', ' ',  ' ',  '\t', '/',  '*', '"', '\'', '\\',
                                '(', ')', ';', ',', '#',  '=',  '&',  '.',  '-', '>', '\n', '\r',
                                'x', ' ', '/', '*', '\x81', '\xe0', '\x9f', '\xa4', 'z',
                                '$', '{', '}', '[', ']', '~', '?', ':', '!', '%', '+', '<',
                                '|', '^', '@', '`', '\x7f', '\x01', '\xff'};
  std::uniform_int_distribution<size_t> len(0, max_len);
  std::uniform_int_distribution<size_t> pick(0, sizeof kBytes - 1);
  std::string s;
  size_t n = len(rng);
  for (size_t k = 0; k < n; k++)
    s += kBytes[pick(rng)];
  return s;
}

class FastPaths : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_scan();
    reset_options();
  }
  void TearDown() override {
    reset_scan();
    reset_options();
  }
};

// Tokenizes `text` from line_buf and compares the tokens and the cut line
// with the byte rules.
// `at` places the line that many bytes before the end of the line storage
// (0: at its start), where the word search that reads 16 bytes at a time
// must stop.
void check_against_the_rules(const std::string& text, int mode, bool euc, size_t at = 0) {
  std::vector<char> want_buf(text.size() + 1);
  char* want_line = want_buf.data();
  std::memcpy(want_line, text.c_str(), text.size() + 1);
  std::vector<std::string> want = reference_tokens(want_line, mode, euc);
  char* line = at == 0 ? g_scan.line_buf : g_scan.buf_store.data() + g_scan.buf_store.size() - at;
  std::memcpy(line, text.c_str(), text.size() + 1);
  set_token(line, mode);
  std::vector<std::string> got(g_scan.token, g_scan.token + g_scan.token_no);
  ASSERT_EQ(got, want) << "mode " << mode << " line [" << text << "]";
  ASSERT_STREQ(g_scan.token[g_scan.token_no], "");
  // Messages print the cut line, so the cuts must fall where the rules put them.
  ASSERT_EQ(std::memcmp(line, want_line, text.size() + 1), 0)
      << "mode " << mode << " line [" << text << "]";
}

TEST_F(FastPaths, TokensAndCutsMatchTheByteRules) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20000; round++) {
    const int mode = round % 5;
    const bool euc = round % 7 == 0;
    g_opt.euc_flag = euc ? 1 : 0;
    const std::string line = random_line(rng, round % 3 == 0 ? 120 : 60);
    check_against_the_rules(line, mode, euc, round % 4 == 0 ? line.size() + 1 + round % 20 : 0);
    if (HasFatalFailure())
      return;
  }
}

// Words longer than the 16 bytes the word search takes at once, with the
// bytes that carry a word on though no letter, digit or '_' is one, near the
// end of the line storage too.
TEST_F(FastPaths, LongWordsEndWhereTheByteRulesSay) {
  const std::string word = "a_very_long_identifier_of_40_characters_";
  for (const char* inner : {"", "$", "@", "`", "\x7f", "\x01", "\xe9", "\r"}) {
    for (size_t cut = 0; cut <= word.size(); cut += 3) {
      const std::string w = word.substr(0, cut) + inner + word.substr(cut);
      const std::string line = "\t" + w + "(" + w + " " + w + ");\n";
      for (size_t at : {size_t{0}, line.size() + 1, line.size() + 9, line.size() + 17}) {
        check_against_the_rules(line, kText, false, at);
        if (HasFatalFailure())
          return;
      }
    }
  }
}

// Each byte alone between two words, in ordinary text: the byte classes
// of the fast loops must agree with the byte rules on every byte value.
TEST_F(FastPaths, EveryByteIsClassedAsTheByteRulesSay) {
  for (int c = 1; c < 256; c++) {
    check_against_the_rules(std::string("w") + static_cast<char>(c) + "w", kText, false);
    if (HasFatalFailure())
      return;
  }
}

// Pass 1 cuts up a body line that names "typedef" anywhere (it may declare
// a type); the search for it looks at each 'y', and the word may stand at
// either end of the line or inside another.
TEST_F(FastPaths, BodyLinesHoldingTypedefAreCutUp) {
  const struct {
    const char* line;
    bool quiet;
  } cases[] = {
      {"x = y;\n", true},           {"typedef int t;\n", false},   {"a = mytypedefs;\n", false},
      {"b = t ypedef;\n", true},    {"yy = typede;\n", true},      {"c = ytypedef;\n", false},
      {"d = typedef\t ;\n", false}, {"typedeftypedef;\n", false}, {"e = typedefy;\n", false},
  };
  for (const auto& c : cases) {
    std::strcpy(g_scan.line_buf, c.line);
    g_scan.line_len = static_cast<int>(std::strlen(c.line));
    EXPECT_EQ(quiet_in_body(kFirstPass), c.quiet) << c.line;
  }
}

// The reader's rules one byte at a time: pieces of at most kLinePiece
// characters, a CR dropped only right before an LF.
struct piece {
  std::string text;
  long long start;
  long long end;
};

std::vector<piece> reference_pieces(const std::string& data) {
  std::vector<piece> out;
  size_t at = 0;
  while (at < data.size()) {
    piece p{std::string(), static_cast<long long>(at), 0};
    while (p.text.size() < static_cast<size_t>(kLinePiece) && at < data.size()) {
      char c = data[at];
      if (c == '\n') {
        p.text += '\n';
        at++;
        break;
      }
      if (c == '\r' && at + 1 < data.size() && data[at + 1] == '\n') {
        p.text += '\n';
        at += 2;
        break;
      }
      p.text += c;
      at++;
    }
    p.end = static_cast<long long>(at);
    out.push_back(p);
  }
  return out;
}

TEST_F(FastPaths, ReaderPiecesMatchTheByteRules) {
  std::mt19937 rng(777);
  // Lines around the piece limit, CR LF pairs split by it, lone CRs, NULs.
  const size_t lengths[] = {0, 1, 1021, 1022, 1023, 1024, 1025, 3000};
  for (int round = 0; round < 300; round++) {
    std::string data;
    int lines = 1 + round % 6;
    for (int l = 0; l < lines; l++) {
      size_t n = lengths[(round + l) % (sizeof lengths / sizeof lengths[0])];
      for (size_t k = 0; k < n; k++)
        data += "ab\r\0 x"[rng() % 6];
      const char* ends[] = {"\n", "\r\n", "\r", "\r\r\n", ""};
      data += ends[rng() % 5];
    }
    FILE* f = fmemopen(const_cast<char*>(data.data()), data.size(), "rb");
    if (data.empty())
      f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    line_reader in;
    in.open_stream(f);
    char buf[kLinePiece + 1];
    std::vector<piece> got;
    for (int n; (n = in.read(buf)) >= 0;) {
      ASSERT_EQ(buf[n], 0);
      got.push_back({std::string(buf, static_cast<size_t>(n)), in.start(), in.pos()});
    }
    std::vector<piece> want = reference_pieces(data);
    ASSERT_EQ(got.size(), want.size()) << "round " << round;
    for (size_t k = 0; k < want.size(); k++) {
      ASSERT_EQ(got[k].text, want[k].text) << "round " << round << " piece " << k;
      ASSERT_EQ(got[k].start, want[k].start) << "round " << round << " piece " << k;
      ASSERT_EQ(got[k].end, want[k].end) << "round " << round << " piece " << k;
    }
  }
}

TEST_F(FastPaths, CommentLinesWithoutASlashAreCountedAndPassed) {
  struct comment_case {
    const char* text;
    int result;         // index of "*/" in the table, or -1
    int lines;          // lines read, the first included
    const char* after;  // the token after "*/"
  };
  const comment_case cases[] = {
      {"x /* a\n b\n c\n d */ y\n", 1, 4, "y"},
      {"x /* a\n b / c\n */ y\n", 0, 3, "y"},
      {"x /* a\n b\n * / c\n d*/ y\n", 1, 4, "y"},
      {"x /* a\n b\n c\n", -1, 3, nullptr},
      {"x /* a\n \x81/ b\n c */ y\n", 1, 3, "y"},  // a lead byte takes the slash with it
  };
  for (const comment_case& c : cases) {
    SCOPED_TRACE(c.text);
    reset_scan();
    feed_source(c.text);
    int lc = 0;
    ASSERT_EQ(next_line(kText, lc), 0);
    int i = skip_comment(1, lc);
    EXPECT_EQ(i, c.result);
    EXPECT_EQ(lc, c.lines);
    if (c.after) {
      ASSERT_GE(i, 0);
      EXPECT_STREQ(g_scan.token[i + 1], c.after);
    }
  }
}

}  // namespace
}  // namespace kavel
