// Line reader: the pieces it hands out and the exact offsets beside them,
// for LF and CR LF files, long lines, odd bytes, seeking and raw reads.
#include "scanner/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace kavel {
namespace {

struct piece {
  std::string text;
  long long start, pos;
  bool operator==(const piece& o) const {
    return text == o.text && start == o.start && pos == o.pos;
  }
};

std::ostream& operator<<(std::ostream& os, const piece& p) {
  return os << "{\"" << p.text << "\", " << p.start << ", " << p.pos << "}";
}

void open_text(line_reader& r, const std::string& text) {
  FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  r.open_stream(f);
}

std::vector<piece> read_all(const std::string& text) {
  line_reader r;
  open_text(r, text);
  std::vector<piece> out;
  char buf[kLinePiece + 1];
  int n;
  while ((n = r.read(buf)) >= 0) {
    EXPECT_EQ(buf[n], 0);
    out.push_back({std::string(buf, n), r.start(), r.pos()});
  }
  return out;
}

TEST(LineReader, Pieces) {
  const std::string x1023(1023, 'x'), x1022(1022, 'x');
  struct {
    const char* name;
    std::string text;
    std::vector<piece> want;
  } cases[] = {
      {"LF", "ab\ncd\n\nlast", {{"ab\n", 0, 3}, {"cd\n", 3, 6}, {"\n", 6, 7}, {"last", 7, 11}}},
      {"CR LF",
       "ab\r\ncd\r\n\r\nlast",
       {{"ab\n", 0, 4}, {"cd\n", 4, 8}, {"\n", 8, 10}, {"last", 10, 14}}},
      {"long line LF",
       std::string(3000, 'y') + "\n",
       {{std::string(1023, 'y'), 0, 1023},
        {std::string(1023, 'y'), 1023, 2046},
        {std::string(954, 'y') + "\n", 2046, 3001}}},
      {"long line CR LF",
       std::string(3000, 'y') + "\r\n",
       {{std::string(1023, 'y'), 0, 1023},
        {std::string(1023, 'y'), 1023, 2046},
        {std::string(954, 'y') + "\n", 2046, 3002}}},
      // A full piece leaves the line end for the next read, as fgets does.
      {"full piece then CR LF",
       x1023 + "\r\nz",
       {{x1023, 0, 1023}, {"\n", 1023, 1025}, {"z", 1025, 1026}}},
      {"CR LF just fits", x1022 + "\r\n", {{x1022 + "\n", 0, 1024}}},
      {"lone CR kept", "a\rb\n", {{"a\rb\n", 0, 4}}},
      {"CR before CR LF", "a\r\r\n", {{"a\r\n", 0, 4}}},
      {"CR at end of file", "a\r", {{"a\r", 0, 2}}},
      {"no final newline", "x", {{"x", 0, 1}}},
      {"NUL bytes",
       std::string("a\0b\n\0", 5),
       {{std::string("a\0b\n", 4), 0, 4}, {std::string(1, 0), 4, 5}}},
      {"empty file", "", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(read_all(c.text), c.want) << c.name;
}

// Larger than the reader's buffer, so seeks and raw reads leave it.
std::string numbered_lines(int count, const char* end) {
  std::string s;
  char buf[32];
  for (int i = 0; i < count; i++) {
    std::snprintf(buf, sizeof buf, "line%05d%s", i, end);
    s += buf;
  }
  return s;
}

TEST(LineReader, SeekAndReadRaw) {
  const std::string text = numbered_lines(20000, "\r\n");  // 11 bytes a line
  line_reader r;
  open_text(r, text);
  char buf[kLinePiece + 1];
  ASSERT_EQ(r.read(buf), 10);
  EXPECT_STREQ(buf, "line00000\n");

  for (long long line : {1, 15000, 3, 19999, 7000}) {
    r.seek(line * 11);
    EXPECT_EQ(r.start(), line * 11);
    ASSERT_EQ(r.read(buf), 10) << line;
    EXPECT_EQ(std::string(buf), text.substr(line * 11, 9) + "\n") << line;
    EXPECT_EQ(r.start(), line * 11);
    EXPECT_EQ(r.pos(), line * 11 + 11);
  }

  // Raw bytes keep their CRs; the reading position is left alone, whether
  // the range lies in the buffer, outside it or across its end.
  r.seek(5 * 11);
  r.read(buf);
  for (long long off : {0LL, 5 * 11LL, 60000LL, 65541LL, 150000LL, 219990LL}) {
    std::string raw(100, '?');
    long long want = std::min<long long>(100, static_cast<long long>(text.size()) - off);
    EXPECT_EQ(r.read_raw(off, &raw[0], 100), want) << off;
    EXPECT_EQ(raw.substr(0, want), text.substr(off, want)) << off;
  }
  ASSERT_EQ(r.read(buf), 10);
  EXPECT_STREQ(buf, "line00006\n");
  EXPECT_EQ(r.start(), 6 * 11);

  std::string all(text.size() + 10, '?');
  EXPECT_EQ(r.read_raw(0, &all[0], static_cast<long long>(all.size())),
            static_cast<long long>(text.size()));
  EXPECT_EQ(all.substr(0, text.size()), text);
  ASSERT_EQ(r.read(buf), 10);
  EXPECT_STREQ(buf, "line00007\n");

  r.seek(static_cast<long long>(text.size()));
  EXPECT_EQ(r.read(buf), -1);
}

TEST(LineReader, OffsetsCountFromTheFileStart) {
  FILE* f = std::tmpfile();
  std::fputs("ab\ncd\n", f);
  std::fseek(f, 3, SEEK_SET);
  line_reader r;
  r.open_stream(f);
  char buf[kLinePiece + 1];
  ASSERT_EQ(r.read(buf), 3);
  EXPECT_STREQ(buf, "cd\n");
  EXPECT_EQ(r.start(), 3);
  EXPECT_EQ(r.pos(), 6);
  r.seek(-1);  // clamped to the start
  ASSERT_EQ(r.read(buf), 3);
  EXPECT_STREQ(buf, "ab\n");
  EXPECT_EQ(r.start(), 0);
}

// read_text must hand out exactly read()'s pieces and offsets, NUL bytes
// turned into blanks, in both copies: over line ends that fall on every
// position of its 16-byte steps, CRs at the piece limit, NULs before and
// after the line feed, lines longer than a piece and the end of the buffer.
// A piece it calls plain ASCII holds no byte from 0x80 on.
TEST(LineReader, TextPiecesMatchThePlainPieces) {
  std::mt19937 rng(7);
  const char alphabet[] = {'a', ' ', '\n', '\r', '\0', 'x', '\\', 'b', 'c', '\xe9'};
  for (int round = 0; round < 60; ++round) {
    std::string text;
    int size = round < 20 ? static_cast<int>(rng() % 200) : static_cast<int>(rng() % 150000);
    for (int k = 0; k < size; ++k) {
      // Long runs without a line feed now and then, to cut pieces.
      bool long_run = round % 3 == 0 && (k / 1500) % 2 == 0;
      char c = alphabet[rng() % sizeof alphabet];
      text += long_run && (c == '\n') ? 'y' : c;
    }
    line_reader plain, both;
    open_text(plain, text);
    open_text(both, text);
    char want[kLinePiece + 1], got[kLinePiece + 1], copy[kLinePiece + 1];
    for (;;) {
      int n = plain.read(want);
      int m = both.read_text(got, copy);
      ASSERT_EQ(m, n) << "round " << round;
      if (n < 0)
        break;
      for (int k = 0; k < n; ++k) {
        if (want[k] == 0)
          want[k] = ' ';
      }
      ASSERT_EQ(std::string(got, static_cast<size_t>(m) + 1),
                std::string(want, static_cast<size_t>(n) + 1));
      ASSERT_EQ(std::string(copy, static_cast<size_t>(m) + 1),
                std::string(want, static_cast<size_t>(n) + 1));
      ASSERT_EQ(both.start(), plain.start());
      ASSERT_EQ(both.pos(), plain.pos());
      if (!both.piece_may_be_high()) {
        ASSERT_EQ(std::string(got, static_cast<size_t>(m)).find('\xe9'), std::string::npos);
      }
    }
  }
}

// Passing over the pieces that do not begin with a prefix keeps the pieces
// of read(): the ones kept are those read() gives that begin with it, also
// where a long line is cut and where a CR, a NUL or the end of the file
// falls among the prefix's bytes.
TEST(LineReader, PiecesThatBeginWithAPrefix) {
  std::mt19937 rng(11);
  const std::string words[] = {"#include", "#includ",  "#include\r",          "\n",
                               "\r\n",     "x",        std::string("\0", 1),
                               std::string("#inc\0lude", 9), " #include", "\n#include"};
  for (int round = 0; round < 80; ++round) {
    std::string text;
    int parts = static_cast<int>(rng() % 400);
    for (int k = 0; k < parts; ++k) {
      text += words[rng() % (sizeof words / sizeof *words)];
      if (rng() % 50 == 0)
        text += std::string(rng() % 2500, 'y');  // cut into pieces
    }
    line_reader plain, picky, skipping;
    open_text(plain, text);
    open_text(picky, text);
    open_text(skipping, text);
    char want[kLinePiece + 1], got[kLinePiece + 1], next[kLinePiece + 1];
    for (;;) {
      int n = plain.read(want);
      int m = picky.read_if_starts(got, "#include", 8);
      if (n < 0) {
        ASSERT_EQ(m, -1) << "round " << round;
        ASSERT_EQ(skipping.read_next_starting(next, "#include", 8), -1) << "round " << round;
        break;
      }
      ASSERT_EQ(picky.pos(), plain.pos()) << "round " << round;
      if (std::strncmp(want, "#include", 8) != 0) {
        ASSERT_EQ(m, 0) << "round " << round;
        continue;
      }
      ASSERT_EQ(m, n) << "round " << round;
      ASSERT_EQ(std::string(got, static_cast<size_t>(m) + 1),
                std::string(want, static_cast<size_t>(n) + 1));
      // The skipping read gives the same pieces, one call each.
      ASSERT_EQ(skipping.read_next_starting(next, "#include", 8), n) << "round " << round;
      ASSERT_EQ(std::string(next, static_cast<size_t>(n) + 1), std::string(got, static_cast<size_t>(n) + 1));
      ASSERT_EQ(skipping.pos(), plain.pos()) << "round " << round;
    }
  }
}

TEST(LineReader, Open) {
  line_reader r;
  EXPECT_FALSE(r.open("/nonexistent/kavel/file.c"));
  EXPECT_FALSE(r.open("."));  // a directory
  EXPECT_FALSE(r.is_open());
  char buf[kLinePiece + 1];
  EXPECT_EQ(r.read(buf), -1);
}

// The lines a comment passes over end before the first line holding "*/" or
// a byte from 0x80 on, also where the "*/" or the line falls across the
// reader's 64 KiB refills, and the next read starts at that line.
TEST(LineReader, PassesOverCommentLines) {
  struct {
    std::string head;  // lines passed over
    std::string rest;  // the line the reader stops at, and after
  } cases[] = {
      {"a\n b c\n\n", "x */ y\nz\n"},
      {"a\n", "caf\xc3\xa9\n"},
      {std::string(65534, 'w') + "\n", "*/\n"},  // '*' ends the first refill
      {std::string(65535, 'w') + "\n", "*/\n"},  // and begins the next
      {std::string(65530, 'w') + "\n", std::string(70, 'v') + "*/\n"},
      {[] { std::string t; for (int k = 0; k < 20000; k++) t += "abc\n"; return t; }(), "*/ x\n"},
      {"", "no line feed"},
  };
  for (const auto& c : cases) {
    line_reader r;
    open_text(r, c.head + c.rest);
    int lines = 0;
    for (char ch : c.head) lines += ch == '\n';
    EXPECT_EQ(r.pass_comment_lines(), lines) << c.rest;
    char buf[kLinePiece + 17], copy[kLinePiece + 17];
    int n = r.read_text(buf, copy);
    size_t lf = c.rest.find('\n');
    EXPECT_EQ(r.start(), static_cast<long long>(c.head.size())) << c.rest;
    EXPECT_EQ(std::string(buf, n), lf == std::string::npos ? c.rest : c.rest.substr(0, lf + 1));
  }
}

}  // namespace
}  // namespace kavel
