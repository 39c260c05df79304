// The tokenizer is a small state machine over one line: the mode says whether
// the line starts in ordinary text, a block comment or a literal, and the
// token table points into the line (words) or at constant strings (marks and
// separators). Nothing is allocated: a line costs one walk over its bytes.
#include "scanner/tokenizer.h"

#include <cstring>

#include "support/messages.h"
#include "support/options.h"

namespace kavel {

const char null_str[] = "";
scan_state g_scan;
// constexpr so the byte lookup below is built at compile time; the declaration in
// the header keeps it external.
constexpr char sep_tab[] =
    " \0\t\0\n\0\"\0'\0;\0:\0,\0.\0{\0}\0=\0!\0-\0+\0*\0/\0%\0>\0<\0|\0&\0(\0)\0[\0]\0^\0~\0?\0\\\0"
    "#\0&\0|\0";

namespace {

constexpr int kSepCount = 33;

// Entry number of each byte in sep_tab (its first entry for '&' and '|'),
// -1 for the rest; built once so classifying a byte is one load.
struct sep_lookup {
  signed char at[256];
  constexpr sep_lookup() : at() {
    for (int c = 0; c < 256; c++)
      at[c] = -1;
    for (int e = kSepCount - 1; e >= 0; e--)
      at[static_cast<unsigned char>(sep_tab[2 * e])] = e;
  }
};
constexpr sep_lookup kSep;

const char kMarkOpen[] = "/*";
const char kMarkClose[] = "*/";
const char kMarkLine[] = "//";
const char kMarkDquote[] = "\"";
const char kMarkSquote[] = "'";

// A byte that takes the next one with it inside comments and literals.
inline bool is_lead(unsigned char c) {
  return g_opt.euc_flag ? c >= 0x80 : is_sjis_lead(c);
}

// Sets token[] to null_str everywhere, so token[token_no] is "" even before
// the first line is read.
void clear_tokens() {
  for (const char*& t : g_scan.token)
    t = null_str;
  g_scan.token_no = 0;
}

struct token_init {
  token_init() { clear_tokens(); }
} g_token_init;


// Appends `t` to a literal buffer whose text is `len` characters long, up to
// the buffer's end (511 characters and the terminator).
void quote_append(char* buf, int& len, const char* t) {
  while (*t && len < kQuoteBuf - 1)
    buf[len++] = *t++;
  buf[len] = 0;
}

}  // namespace

void reset_scan() {
  g_scan.fp.close();
  std::memset(g_scan.line_buf, 0, sizeof g_scan.line_buf);
  std::memset(g_scan.line_org, 0, sizeof g_scan.line_org);
  std::memset(g_scan.qstr_buf, 0, sizeof g_scan.qstr_buf);
  std::memset(g_scan.qchr_buf, 0, sizeof g_scan.qchr_buf);
  clear_tokens();
  g_scan.pass = pass_view{};
}

int sep_index(unsigned char c) {
  return kSep.at[c];
}

int set_token(char* line, int mode) {
  const char** token = g_scan.token;
  int count = 0;
  bool in_word = false;
  char* p = line;
  // Each byte yields at most one token, so a line of kTokenMax - 1 bytes
  // fits; a longer string handed in by a caller is cut rather than overrun.
  auto store = [&](const char* t) {
    if (count < kTokenMax)
      token[count++] = t;
  };
  auto start_word = [&]() {
    if (!in_word) {
      store(p);
      in_word = true;
    }
  };
  auto end_word = [&]() {
    if (in_word) {
      *p = 0;
      in_word = false;
    }
  };
  // The byte after a lead byte belongs to it and is never examined; a lead
  // byte right before the terminator stands alone.
  auto two_byte = [&]() {
    if (is_lead(static_cast<unsigned char>(*p)) && p[1] != 0)
      p++;
  };

  for (; *p; p++) {
    unsigned char c = static_cast<unsigned char>(*p);
    char n = p[1];
    switch (mode) {
      case kBlockComment:
        if (c == '*' && n == '/') {
          store(kMarkClose);
          end_word();
          p++;
          mode = kText;
        } else if (c == ' ' || c == '\t') {
          end_word();
        } else {
          start_word();
          two_byte();
        }
        break;
      case kLineComment:
        if (n == 0 || n == '\n') {
          end_word();
          mode = kText;
        }
        break;
      case kString:
      case kChar:
        if (c == '\\') {
          // An escape pair; a backslash ending a cut piece has nothing to
          // escape, and stepping past the terminator would read stale bytes.
          if (n != 0)
            p++;
        } else if (c == (mode == kString ? '"' : '\'')) {
          store(mode == kString ? kMarkDquote : kMarkSquote);
          end_word();
          mode = kText;
        } else {
          start_word();
          two_byte();
        }
        break;
      default:
        if (c == '/' && n == '*') {
          store(kMarkOpen);
          end_word();
          p++;
          mode = kBlockComment;
        } else if (c == '/' && n == '/') {
          store(kMarkLine);
          end_word();
          p++;
          mode = kLineComment;
        } else if (c == '"') {
          store(kMarkDquote);
          end_word();
          mode = kString;
        } else if (c == '\'') {
          store(kMarkSquote);
          end_word();
          mode = kChar;
        } else if (int e = kSep.at[c]; e >= 0) {
          if (c > ' ')
            store(sep_tab + 2 * e);
          end_word();
        } else {
          start_word();
        }
        break;
    }
  }
  token[count] = null_str;
  g_scan.token_no = count;
  return 0;
}

int read_line(int& line_counter) {
  int n = g_scan.fp.read(g_scan.line_buf);
  if (n < 0)
    return -1;
  g_scan.line_buf[kLineBuf - 1] = 0;
  std::memcpy(g_scan.line_org, g_scan.line_buf, static_cast<size_t>(n) + 1);
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
    if (next_line(kBlockComment, line_counter) < 0)
      return -1;
    i = 0;
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
    if (next_line(quote == '"' ? kString : kChar, line_counter) < 0)
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
  size_t n = std::strlen(g_scan.line_org);
  if (n > 0 && g_scan.line_org[n - 1] == '\n')
    --n;
  return n > 0 && g_scan.line_org[n - 1] == '\\';
}

int pass_directives(int& line_counter) {
  pass_view& pv = g_scan.pass;
  while (at_directive()) {
    const char* d = g_scan.token[1];
    if (d[0] == 'i' && d[1] == 'f') {
      if (pv.depth > 0)
        pv.cond_depth++;
    } else if (std::strcmp(d, "endif") == 0 && pv.depth > 0) {
      if (pv.cond_depth == 0) {
        errmsg1("syntax error; ifdef statement at %d line of \"%s\"\n", line_counter, pv.file_name);
      } else {
        pv.cond_depth--;
      }
    }
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
