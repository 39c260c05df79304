// The tokenizer is a small state machine over one line: the mode says whether
// the line starts in ordinary text, a block comment or a literal, and the
// token table points into the line (words) or at constant strings (marks and
// separators). Nothing is allocated: a line costs one walk over its bytes.
#include "scanner/tokenizer.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "support/message_texts.h"
#include "support/messages.h"
#include "support/name_map.h"
#include "support/options.h"
#include "tables/separators.h"

namespace kavel {

const char null_str[] = "";
scan_state g_scan;

namespace {

// Bytes that carry on a word and need no further look: in ordinary text
// every byte that is no separator and no terminator; in a comment every
// byte but a blank, the terminator, the '*' that may close it and the
// bytes from 0x80 on, which may be lead bytes.
// A separator in ordinary text is a blank (no token), a mark (a token of
// its own) or one of the bytes that may change the mode.
enum sep_kind : unsigned char { kNoSep, kBlank, kMark, kModeByte };

struct byte_classes {
  bool text_word[256];
  bool comment_plain[256];
  sep_kind kind[256];
  constexpr byte_classes() : text_word(), comment_plain(), kind() {
    for (int c = 0; c < 256; c++) {
      text_word[c] = c != 0 && kSep.at[c] < 0;
      comment_plain[c] = c != 0 && c != ' ' && c != '\t' && c != '*' && c < 0x80;
      if (kSep.at[c] < 0)
        kind[c] = kNoSep;
      else if (c == '/' || c == '"' || c == '\'')
        kind[c] = kModeByte;
      else
        kind[c] = c > ' ' ? kMark : kBlank;
    }
  }
};
constexpr byte_classes kBytes;

const char kMarkOpen[] = "/*";
const char kMarkClose[] = "*/";
const char kMarkLine[] = "//";
const char kMarkDquote[] = "\"";
const char kMarkSquote[] = "'";

// Sets token[] to null_str everywhere, so token[token_no] is "" even before
// the first line is read.
void clear_tokens() {
  for (const char*& t : g_scan.token_store)
    t = null_str;
  g_scan.token_no = 0;
}

// Room in token[] for `n` tokens and the closing "": a line yields at most
// one token for each byte. New entries read as "".
void reach_tokens(size_t n) {
  scan_state& s = g_scan;
  if (n + 2 <= s.token_store.size())
    return;
  std::vector<const char*> bigger(std::max(n + 2, 2 * s.token_store.size()), null_str);
  std::copy(s.token_store.begin(), s.token_store.end(), bigger.begin());
  s.token_store.swap(bigger);
  s.outgrown_tokens.push_back(std::move(bigger));
  s.token = s.token_store.data();
  s.token_room = static_cast<int>(s.token_store.size()) - 2;
}


// Appends `t` to a literal buffer whose text is `len` characters long, up to
// the buffer's end (511 characters and the terminator).
void quote_append(char* buf, int& len, const char* t) {
  while (*t && len < kQuoteBuf - 1)
    buf[len++] = *t++;
  buf[len] = 0;
}

// Follows the UTF-8 check over one piece of `n` bytes; clears pv.utf8 at
// the first byte that no valid UTF-8 text can hold there. A character may
// go on into the next piece of a long line.
void check_utf8(pass_view& pv, const char* line, int n) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(line);
  for (int i = 0; i < n; i++) {
    // Code is nearly all ASCII: eight bytes without a high bit at once.
    if (pv.utf8_need == 0) {
      uint64_t word;
      while (i + 8 <= n && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080ull) == 0))
        i += 8;
      if (i >= n)
        return;
    }
    unsigned char c = p[i];
    if (pv.utf8_need > 0) {
      if (c < pv.utf8_low || c > pv.utf8_high) {
        pv.utf8 = false;
        return;
      }
      pv.utf8_need--;
      pv.utf8_low = 0x80;
      pv.utf8_high = 0xBF;
      continue;
    }
    if (c < 0x80)
      continue;
    // Lead bytes and the range of their first continuation byte, which
    // turns away overlong forms and surrogates.
    if (c >= 0xC2 && c <= 0xDF) {
      pv.utf8_need = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      pv.utf8_need = 2;
      pv.utf8_low = c == 0xE0 ? 0xA0 : 0x80;
      pv.utf8_high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
      pv.utf8_need = 3;
      pv.utf8_low = c == 0xF0 ? 0x90 : 0x80;
      pv.utf8_high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
      pv.utf8 = false;
      return;
    }
  }
}

}  // namespace

// Room for the lines of nearly every source from the start: a piece of
// kLinePiece characters, its terminator and the reader's slack.
constexpr size_t kLineStart = 1024;
static_assert(kLineStart + 32 >= kLinePiece + 17 && kLineStart >= kLinePiece,
              "a piece and its tokens fit the first storage");

namespace {

// The rest of a line longer than a piece, after its first `have`
// characters: the storage grows to hold it, and room is made for its tokens.
[[gnu::noinline]] int read_long_line(int have) {
  scan_state& s = g_scan;
  int n = s.fp.read_rest_of_line(have, s.buf_store, s.org_store, s.outgrown);
  s.line_buf = s.buf_store.data();
  g_readable = {s.buf_store.data(), s.buf_store.data() + s.buf_store.size()};
  s.line_org = s.org_store.data();
  if (static_cast<size_t>(n) > static_cast<size_t>(s.token_room))
    reach_tokens(static_cast<size_t>(n));
  return n;
}

}  // namespace

scan_state::scan_state()
    : buf_store(kLineStart + 32),
      org_store(kLineStart + 32),
      token_store(kLineStart + 2, null_str) {
  line_buf = buf_store.data();
  line_org = org_store.data();
  g_readable = {buf_store.data(), buf_store.data() + buf_store.size()};
  token = token_store.data();
  token_room = kLineStart;
}

void reset_scan() {
  g_scan.fp.close();
  std::fill(g_scan.buf_store.begin(), g_scan.buf_store.end(), 0);
  std::fill(g_scan.org_store.begin(), g_scan.org_store.end(), 0);
  std::memset(g_scan.qstr_buf, 0, sizeof g_scan.qstr_buf);
  std::memset(g_scan.qchr_buf, 0, sizeof g_scan.qchr_buf);
  clear_tokens();
  g_scan.line_len = 0;
  g_scan.pass = pass_view{};
  g_scan.watch = cond_watch{};
  g_scan.in_define = false;
  g_scan.define_ended = false;
}

namespace {

// What a step of set_token returns when it reached the line's terminator.
constexpr int kLineDone = -1;

// One walk of set_token over a line: where it stands and the tokens stored.
// Each text state has a step of its own that runs to the byte ending that
// state and returns the state the rest of the line is in. A word is cut off
// (its next byte becomes the terminator) only by the byte that ends it, so
// bytes that end no word stay as they were in the line. The steps are the
// tokenizer's hot loop: they are forced inline into set_token, so the walk
// keeps its place and count in registers.
struct line_cut {
  char* p;
  const char** token;
  int count;
  // Each byte yields at most one token: read_line makes room for the line
  // read; a longer string handed in by a caller is cut rather than overrun.
  int room;
  bool euc;
  // No byte takes the next one with it in a file that is UTF-8 so far.
  bool utf8;
  // The end of the storage the line lies in, up to which the word search
  // may read 16 bytes at a time; null for a string of a caller.
  const char* end;
#if defined(__SSE2__)
  struct word_bytes {
    __m128i case_bit = _mm_set1_epi8(0x20);
    __m128i to_letters = _mm_set1_epi8(static_cast<char>(0x80 - 'a'));
    __m128i letters = _mm_set1_epi8(static_cast<char>(-128 + 26));
    __m128i to_digits = _mm_set1_epi8(static_cast<char>(0x80 - '0'));
    __m128i digits = _mm_set1_epi8(static_cast<char>(-128 + 10));
    __m128i underscore = _mm_set1_epi8(0x7F);
  } k = {};
#endif

  [[gnu::always_inline]] void store(const char* t) {
    if (count < room)
      token[count++] = t;
  }
  // A byte that takes the next one with it inside comments and literals.
  [[gnu::always_inline]] bool lead(unsigned char c) const {
    return !utf8 && (euc ? c >= 0x80 : is_sjis_lead(c));
  }
  // A character of comment or literal text: it starts a word unless one is
  // open. The byte after a lead byte belongs to it and is never examined; a
  // lead byte right before the terminator stands alone.
  [[gnu::always_inline]] void take_char(unsigned char c, bool& in_word) {
    if (!in_word)
      store(p);
    in_word = true;
    if (lead(c) && p[1] != 0)
      p++;
  }

  // From a plain byte of comment text at b: the last plain byte of its run,
  // found 16 bytes at a time where the storage allows.
  [[gnu::always_inline]] char* last_plain(char* b) {
#if defined(__SSE2__)
    if (end != nullptr) {
      const __m128i zero = _mm_setzero_si128();
      const __m128i space = _mm_set1_epi8(' ');
      const __m128i tab = _mm_set1_epi8('\t');
      const __m128i star = _mm_set1_epi8('*');
      for (b++; b + 16 <= end; b += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
        const __m128i stop = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, space)),
                                          _mm_or_si128(_mm_cmpeq_epi8(v, tab), _mm_cmpeq_epi8(v, star)));
        const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(stop) | _mm_movemask_epi8(v));
        if (m != 0)
          return b + __builtin_ctz(m) - 1;
      }
      b--;
    }
#endif
    while (kBytes.comment_plain[static_cast<unsigned char>(b[1])])
      b++;
    return b;
  }

  [[gnu::always_inline]] int block_comment() {
    bool in_word = false;
    for (;; p++) {
      unsigned char c = static_cast<unsigned char>(*p);
      if (c == 0)
        return kLineDone;
      if (kBytes.comment_plain[c]) {
        if (!in_word)
          store(p);
        in_word = true;
        p = last_plain(p);
      } else if (c == ' ' || c == '\t') {
        if (in_word)
          *p = 0;
        in_word = false;
      } else if (c == '*' && p[1] == '/') {
        store(kMarkClose);
        if (in_word)
          *p = 0;
        p += 2;
        return kText;
      } else {
        take_char(c, in_word);
      }
    }
  }

  // Nothing in the comment is a token; the byte before the line end hands
  // back to ordinary text.
  [[gnu::always_inline]] int line_comment() {
    p = strchrnul(p + 1, '\n');
    return kText;
  }

  // A string (kString) or character (kChar) literal.
  [[gnu::always_inline]] int literal(int mode) {
    const char quote = mode == kString ? '"' : '\'';
    bool in_word = false;
    for (;; p++) {
      unsigned char c = static_cast<unsigned char>(*p);
      if (c == 0)
        return kLineDone;
      if (c == '\\') {
        // An escape pair; a backslash ending a cut piece has nothing to
        // escape, and stepping past the terminator would read stale bytes.
        if (p[1] != 0)
          p++;
      } else if (c == static_cast<unsigned char>(quote)) {
        store(mode == kString ? kMarkDquote : kMarkSquote);
        if (in_word)
          *p = 0;
        p++;
        return kText;
      } else {
        take_char(c, in_word);
      }
    }
  }

  // From the first byte of a word at p: the byte after the word. Letters,
  // digits and '_' are looked at 16 at a time; the first other byte ends
  // the word unless the byte table says it carries it on ('$', '@', a byte
  // from 0x80 on, a control byte).
  [[gnu::always_inline]] char* past_word(char* w) {
#if defined(__SSE2__)
    if (end != nullptr) {
      for (w++; w + 16 <= end;) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w));
        // With the case bit set, letters are 'a'-'z', digits stay, and
        // '_' is 0x7F; each range is moved to the bottom of the signed
        // bytes and compared once.
        const __m128i u = _mm_or_si128(v, k.case_bit);
        const __m128i word =
            _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi8(k.letters, _mm_add_epi8(u, k.to_letters)),
                                      _mm_cmpgt_epi8(k.digits, _mm_add_epi8(u, k.to_digits))),
                         _mm_cmpeq_epi8(u, k.underscore));
        const unsigned other = 0xFFFFu ^ static_cast<unsigned>(_mm_movemask_epi8(word));
        if (other == 0) {
          w += 16;
          continue;
        }
        w += __builtin_ctz(other);
        if (!kBytes.text_word[static_cast<unsigned char>(*w)])
          return w;
        w++;
      }
      w--;
    }
#endif
    unsigned char c;
    do {
      c = static_cast<unsigned char>(*++w);
    } while (kBytes.text_word[c]);
    return w;
  }

  // Ordinary text: words, marks, and the bytes that open a comment or a
  // literal.
  [[gnu::always_inline]] int text() {
    for (;;) {
      unsigned char c = static_cast<unsigned char>(*p);
      char* word_end = nullptr;
      if (kSep.at[c] < 0) {
        if (c == 0)
          return kLineDone;
        store(p);
        p = past_word(p);
        c = static_cast<unsigned char>(*p);
        if (c == 0)
          return kLineDone;
        word_end = p;
      }
      // c is a separator; the word before it, if any, ends at it.
      if (kBytes.kind[c] == kBlank) {
        if (word_end)
          *word_end = 0;
        // Indentation comes in runs; the blanks after the first end no word.
        do {
          p++;
        } while (*p == ' ');
        continue;
      }
      if (kBytes.kind[c] == kMark) {
        store(sep_tab + 2 * kSep.at[c]);
        if (word_end)
          *word_end = 0;
        p++;
        continue;
      }
      char n = p[1];
      int next_mode = kText;
      if (c == '/' && n == '*') {
        store(kMarkOpen);
        next_mode = kBlockComment;
      } else if (c == '/' && n == '/') {
        store(kMarkLine);
        next_mode = kLineComment;
      } else if (c == '"') {
        store(kMarkDquote);
        next_mode = kString;
      } else if (c == '\'') {
        store(kMarkSquote);
        next_mode = kChar;
      } else if (c > ' ') {
        store(sep_tab + 2 * kSep.at[c]);
      }
      if (word_end)
        *word_end = 0;
      if (next_mode == kBlockComment || next_mode == kLineComment) {
        p += 2;
        return next_mode;
      }
      p++;
      if (next_mode != kText)
        return next_mode;
    }
  }
};

}  // namespace

namespace {

// The walk from cut.p on in `mode`, every mode taken: kept out of
// set_token, so that the ordinary text most lines are does not pay for the
// registers the other modes keep.
[[gnu::noinline]] int cut_modes(char* p, int count, int mode, const char* end) {
  const scan_state& s = g_scan;
  line_cut cut{p, s.token, count, s.token_room, g_opt.euc_flag != 0, s.pass.utf8, end};
  while (*cut.p) {
    switch (mode) {
      case kBlockComment:
        mode = cut.block_comment();
        break;
      case kLineComment:
        mode = cut.line_comment();
        break;
      case kString:
      case kChar:
        mode = cut.literal(mode);
        break;
      default:
        mode = cut.text();
        break;
    }
    if (mode == kLineDone)
      break;
  }
  return cut.count;
}

}  // namespace

int set_token(char* line, int mode) {
  scan_state& s = g_scan;
  const char* const storage = s.buf_store.data();
  const size_t size = s.buf_store.size();
  const bool own = line >= storage && line < storage + size;
  line_cut cut{line,
               s.token,
               0,
               s.token_room,
               g_opt.euc_flag != 0,
               s.pass.utf8,
               own ? storage + size : nullptr};
  // Most lines are ordinary text to their end.
  if (mode == kText && *cut.p)
    mode = cut.text();
  if (mode != kLineDone)
    cut.count = cut_modes(cut.p, cut.count, mode, cut.end);
  cut.token[cut.count] = null_str;
  s.token_no = cut.count;
  return 0;
}

void carry_word(std::string_view word) {
  scan_state& s = g_scan;
  s.carried.emplace_back(word);
  reach_tokens(static_cast<size_t>(s.token_no) + 1);
  std::memmove(s.token + 1, s.token, (static_cast<size_t>(s.token_no) + 1) * sizeof(const char*));
  s.token[0] = s.carried.back().c_str();
  s.token_no++;
}

int read_line(int& line_counter) {
  // A NUL byte (a damaged file, a binary one) would end the line early for
  // every string function below; a comment or literal cut there would then
  // swallow the lines after it. The scanner sees it as a blank, in both
  // copies; the printer copies the file's own bytes.
  scan_state& s = g_scan;
  int n = s.fp.read_text(s.line_buf, s.line_org);
  if (n < 0)
    return -1;
  bool high = s.fp.piece_may_be_high();
  if (line_reader::piece_is_cut(n, s.line_buf[n - 1])) {
    n = read_long_line(n);
    high = true;  // the reader knows its last piece only
  }
  // A line of ASCII bytes that begins no character keeps the file UTF-8;
  // the reader saw its bytes already, so only the others are looked at.
  if (s.pass.utf8 && (high || s.pass.utf8_need != 0))
    check_utf8(s.pass, s.line_org, n);
  s.line_len = n;
  line_counter++;
  return 0;
}

int next_line(int mode, int& line_counter) {
  if (read_line(line_counter) < 0)
    return -1;
  return set_token(g_scan.line_buf, mode);
}

int skip_comment(int index, int& line_counter) {
  int i = index + 1;
  for (;;) {
    for (; i < g_scan.token_no; i++) {
      const char* t = g_scan.token[i];
      if (t[0] == '*' && t[1] == '/')
        return i;
    }
    // Lines that hold no "*/" cannot close the comment, and nothing looks
    // at their words: the reader passes over them in one search.
    line_counter += g_scan.fp.pass_comment_lines();
    if (read_line(line_counter) < 0)
      return -1;
    i = 0;
    // Long comments are mostly lines without a '/': such a line cannot
    // close the comment, and nothing looks at its words, so it is not cut
    // up at all.
    if (std::strchr(g_scan.line_buf, '/') == nullptr) {
      g_scan.token_no = 0;
      g_scan.token[0] = null_str;
      continue;
    }
    set_token(g_scan.line_buf, kBlockComment);
  }
}

int skip_line_comment(int, int& line_counter) {
  do {
    if (next_line(kText, line_counter) < 0)
      return -1;
  } while (std::strncmp(g_scan.token[0], "//", 2) == 0);
  return 0;
}

int skip_quote(int index, int& line_counter, int quote) {
  char* buf = quote == '"' ? g_scan.qstr_buf : g_scan.qchr_buf;
  buf[0] = static_cast<char>(quote);
  buf[1] = 0;
  int len = 1;
  int i = index + 1;
  for (;;) {
    for (; i < g_scan.token_no; i++) {
      const char* t = g_scan.token[i];
      if (static_cast<unsigned char>(t[0]) == quote) {
        // A text that filled the buffer gives up its last character to the
        // closing quote, so the literal always reads as closed.
        if (len > kQuoteBuf - 2)
          len = kQuoteBuf - 2;
        buf[len++] = static_cast<char>(quote);
        buf[len] = 0;
        return i;
      }
      if (len - 1 < kQuoteKeep)
        quote_append(buf, len, t);
    }
    if (define_ends_here() || next_line(quote == '"' ? kString : kChar, line_counter) < 0)
      return -1;
    i = 0;
  }
}

bool at_directive() {
  const char* t = g_scan.token[0];
  return g_scan.token_no > 0 && t[0] == '#' && t[1] == 0;
}

bool line_continues() {
  // Judged on the line as read: a backslash that ends a string literal's
  // text (`#error "two \`) continues the line too, though it is no token.
  // line_org holds line_len characters: NUL bytes were turned into blanks.
  int n = g_scan.line_len;
  if (n > 0 && g_scan.line_org[n - 1] == '\n')
    --n;
  return n > 0 && g_scan.line_org[n - 1] == '\\';
}

bool define_ends_here() {
  scan_state& s = g_scan;
  if (!s.in_define)
    return false;
  // A backslash after the last token continues the line too, though
  // blanks follow it.
  if (line_continues() || (s.token_no > 0 && std::strcmp(s.token[s.token_no - 1], "\\") == 0))
    return false;
  s.define_ended = true;
  return true;
}

void count_conditional(const char* d, int line_counter) {
  pass_view& pv = g_scan.pass;
  cond_watch& w = g_scan.watch;
  if (d[0] == 'i' && d[1] == 'f') {
    if (!w.off)
      w.open_depth.push_back(pv.depth);
    if (pv.depth > 0)
      pv.cond_depth++;
  } else if (std::strcmp(d, "endif") == 0) {
    if (!w.off) {
      if (w.open_depth.empty() || w.open_depth.back() != pv.depth)
        w.uneven = true;
      if (!w.open_depth.empty())
        w.open_depth.pop_back();
    }
    if (pv.depth > 0 && pv.cond_depth == 0) {
      w.uneven = true;
      errmsg1(kMsgIfdefSyntax, line_counter, pv.file_name);
    } else if (pv.depth > 0) {
      pv.cond_depth--;
    }
  }
}

int pass_directives(int& line_counter) {
  while (at_directive()) {
    count_conditional(g_scan.token[1], line_counter);
    while (line_continues()) {
      if (next_line(kText, line_counter) < 0)
        return -1;
    }
    if (next_line(kText, line_counter) < 0)
      return -1;
  }
  return 0;
}

int next_code_line(int& line_counter) {
  // A line continued by a backslash belongs to the line before it: in a
  // macro replacement `#F` on such a line is stringizing, not a directive.
  bool continued = line_continues();
  if (next_line(kText, line_counter) < 0)
    return -1;
  if (continued)
    return 0;
  return pass_directives(line_counter);
}

}  // namespace kavel
