// The look at a body line before it is cut up. Inside a body pass 1 keeps
// only the brace depth, the conditionals, macros, include files and typedef
// names; pass 2 adds the calls, the assignments to function-name variables
// and the names of macros that call something. A line touches none of
// these when it holds no brace or directive, when each comment and literal
// on it closes on it (pass 2 wants none at all), when no analyser that
// starts on it reads on into the next line (every '(' closed on it, and
// its last character a ';', which ends any declaration begun on it), and,
// for pass 2, when it holds no '(' and no word the tables know as a
// calling macro or, before an '=', as a function-name variable. Words are
// cut where the tokenizer cuts them and asked the checks the token walk
// asks.
#include "scanner/quiet_lines.h"

#include <cstring>

#include "tables/fun_table.h"
#include "tables/name_checks.h"
#include "tables/separators.h"

namespace kavel {

const char* closed_literal(const char* p) {
  const char quote = *p;
  for (++p;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == static_cast<unsigned char>(quote))
      return p + 1;
    if (c == 0 || c == '\n' || c >= 0x80)
      return nullptr;
    if (c == '\\') {
      const unsigned char n = static_cast<unsigned char>(p[1]);
      if (n == 0 || n == '\n' || n >= 0x80)
        return nullptr;
      ++p;
    }
  }
}

namespace {

// A block comment from its "/*" at p: the byte after its "*/", or null
// as for a literal.
const char* closed_comment(const char* p) {
  for (p += 2;; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '*' && p[1] == '/')
      return p + 2;
    if (c == 0 || c == '\n' || c >= 0x80)
      return nullptr;
  }
}

// The last character of the line's `n` that is no blank or line end; 0
// for none.
char last_character(const char* line, int n) {
  // Nearly every line ends in its last character and a line feed.
  if (n >= 2 && line[n - 1] == '\n' && line[n - 2] != ' ' && line[n - 2] != '\t')
    return line[n - 2];
  while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == ' ' || line[n - 1] == '\t'))
    --n;
  return n > 0 ? line[n - 1] : 0;
}

// Pass 1: no brace, directive or backslash outside literals, every
// comment and literal closed on the line, and every '(' opened on it
// closed on it. A ')' that closes a '(' of an earlier line ends nothing the
// walk still holds. A "//" hides the line's last ';' from this look, so
// such a line is left to the walk.
bool plain_for_pass_one(const char* p) {
  int open = 0;
  while ((p = std::strpbrk(p, "(){}#\\/\"'")) != nullptr) {
    switch (*p) {
      case '(':
        ++open;
        ++p;
        break;
      case ')':
        if (open > 0)
          --open;
        ++p;
        break;
      case '"':
      case '\'':
        p = closed_literal(p);
        if (p == nullptr)
          return false;
        break;
      case '/':
        if (p[1] == '/')
          return false;
        if (p[1] == '*') {
          p = closed_comment(p);
          if (p == nullptr)
            return false;
        } else {
          ++p;
        }
        break;
      default:
        return false;
    }
  }
  return open == 0;
}

// Whether the line's `n` bytes hold "typedef" anywhere: its 'y' is looked
// for, which most lines hold none of.
bool holds_typedef(const char* line, int n) {
  const char* end = line + n;
  for (const char* y = line + 1; y < end;) {
    y = static_cast<const char*>(std::memchr(y, 'y', static_cast<size_t>(end - y)));
    if (y == nullptr)
      return false;
    if (y[-1] == 't' && end - y >= 6 && std::memcmp(y + 1, "pedef", 5) == 0)
      return true;
    ++y;
  }
  return false;
}

bool is_word_byte(unsigned char c) {
  return c != 0 && kSep.at[c] < 0;
}

// Pass 2: whether the word from p to end is a macro that calls something,
// or, when `assigned`, a function-name variable. The checks want a
// terminated word: the byte after it is lent for the terminator.
bool known_word(char* p, char* end, bool assigned) {
  const char kept = *end;
  *end = 0;
  bool known = assigned ? ser_pfun(p) != nullptr
                        : static_cast<unsigned char>(*p) >= 'A' &&
                              static_cast<unsigned char>(*p) < 0x80 && check_maccall(p) != 0;
  *end = kept;
  return known;
}

// Pass 2 over a line without '(', braces, comments or literals: no word
// the token walk would record.
bool records_nothing(char* p) {
  char* word = nullptr;  // the token before, when it is a word
  char* word_end = nullptr;
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == 0)
      return true;
    if (is_word_byte(c)) {
      char* s = p;
      do {
        ++p;
      } while (is_word_byte(static_cast<unsigned char>(*p)));
      if (known_word(s, p, false))
        return false;
      word = s;
      word_end = p;
      continue;
    }
    if (c == '=') {
      if (word != nullptr && known_word(word, word_end, true))
        return false;
    } else if (c >= 'A' && c < 0x80 && check_maccall(sep_tab + 2 * kSep.at[c])) {
      // No mark names a macro, but the answer is the table's.
      return false;
    }
    if (c != ' ' && c != '\t')
      word = nullptr;
    ++p;
  }
}

}  // namespace

bool quiet_in_body(scan_pass pass) {
  char* line = g_scan.line_buf;
  // A blank line has nothing to pass over. Most lines that matter end in
  // a brace or a ')'; the others show it by a byte the search finds.
  if (last_character(line, g_scan.line_len) != ';')
    return false;
  if (pass == kFirstPass)
    return plain_for_pass_one(line) && !holds_typedef(line, g_scan.line_len);
  return std::strpbrk(line, "{}#\\/\"'(") == nullptr && records_nothing(line);
}

}  // namespace kavel
