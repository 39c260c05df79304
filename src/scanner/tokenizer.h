// Splits one source line into tokens. Not a C lexer: words are separated by a
// fixed set of one-character separators, and the text of comments and
// literals is kept as words split differently. A construct that runs past
// the end of its line is followed by reading the next line in the mode the
// caller chooses; every line anyone reads after the first comes through
// next_line, so the line counter and offsets stay right.
#ifndef KAVEL_SCANNER_TOKENIZER_H_
#define KAVEL_SCANNER_TOKENIZER_H_

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/line_reader.h"
#include "tables/separators.h"

namespace kavel {

// The shared empty string: the entry after the last token points at it.
extern const char null_str[];

constexpr int kQuoteBuf = 512;   // qstr_buf / qchr_buf
constexpr int kQuoteKeep = 254;  // literal text kept once this many characters are in

// Modes of set_token for the text a line starts in.
enum token_mode { kText = 0, kBlockComment = 1, kLineComment = 2, kString = 3, kChar = 4 };

// The passes over the sources: the first registers definitions, macros and
// include files, the second records calls.
enum scan_pass { kFirstPass = 1, kSecondPass = 2 };

// State of the pass over the file being scanned. scan_source sets it at the
// start of each file; the directive skipping of the analysers reads and
// updates it so a conditional line met in the middle of a construct counts
// exactly as if the pass had met it.
struct pass_view {
  int depth = 0;                 // brace depth of the pass
  int cond_depth = 0;            // #if lines met inside bodies and not yet closed
  const char* file_name = "";    // for messages
  // The file's lines read so far are valid UTF-8, so no byte of a comment or
  // literal takes the next one with it. scan_source sets it for each file;
  // the first line that is not valid UTF-8 clears it for the rest of the
  // file. No byte of a UTF-8 character can be a quote, a backslash, '*' or
  // '/', whereas the two-byte rule would swallow one after an em dash.
  bool utf8 = false;
  int8_t utf8_need = 0;  // continuation bytes the last line's last character still wants
  uint8_t utf8_low = 0x80, utf8_high = 0xBF;  // range of the next continuation byte
};

// What the first pass saw of the conditionals of its files, for a run that
// leaves out the pass over calls. That pass reports an #endif met inside a
// body with no #if open there: the #if stood outside any body (or there is
// none) and a brace between them opened one. The first pass reads the same
// lines; while each #endif it meets has its #if and stands at the brace
// depth of its #if, the run is even, and the first pass made no report.
struct cond_watch {
  std::vector<int> open_depth;  // brace depth at each #if of the file still open
  bool off = false;             // a look ahead: its lines are read again after it
  bool uneven = false;          // for the run
};

struct scan_state {
  scan_state();
  char* line_buf;                     // the current line; set_token cuts it up in place
  char* line_org;                     // the current line as read
  const char** token;                 // tokens of line_buf; token[token_no] is ""
  int token_no = 0;                   // number of tokens of the current line
  int token_room = 0;                 // tokens set_token may store before the closing ""
  int line_len = 0;                   // characters of the line read_line read last
  line_reader fp;                     // the source being scanned
  char qstr_buf[kQuoteBuf] = {};      // text of the last string literal, quotes included
  char qchr_buf[kQuoteBuf] = {};      // text of the last character literal
  pass_view pass;                     // see pass_view
  cond_watch watch;                   // see cond_watch
  // The storage behind line_buf, line_org and token, grown between lines
  // to hold the longest line yet. What it outgrew is kept: a pointer taken
  // into an earlier line reads that line's bytes, as with fixed buffers.
  std::vector<char> buf_store;
  std::vector<char> org_store;
  std::vector<const char*> token_store;
  std::vector<std::vector<char>> outgrown;
  std::vector<std::vector<const char*>> outgrown_tokens;
  std::deque<std::string> carried;  // words put before a line by carry_word; kept for the run
  // While a #define is read, the first line that does not continue it ends
  // it, as the preprocessor ends it: a construct still open there (a
  // declaration without its ';', an unclosed group) ends with it, and the
  // lines after it are code again. Set when a reader stopped there.
  bool in_define = false;
  bool define_ended = false;
};

extern scan_state g_scan;
// Closes the stream and clears everything (tests, fuzzing).
void reset_scan();

// Tokenizes `line` in place starting in `mode`; fills token/token_no; 0.
int set_token(char* line, int mode);

// Puts `word`, the last word of the line before, in front of the current
// line's tokens, as if both lines were one.
void carry_word(std::string_view word);

// Reads the next line of g_scan.fp into line_buf (however long),
// copies it to line_org and adds one to `line_counter`, without tokenizing:
// for a reader that looks at the line as read first. -1 at end of file.
int read_line(int& line_counter);

// Reads the next line of g_scan.fp into line_buf, copies it to line_org, adds one to `line_counter` and tokenizes it in
// `mode`. -1 at end of file (nothing changed), else 0.
int next_line(int mode, int& line_counter);

// From the `/*` at `index`: index of the matching `*/` in the table current
// on return, -1 at end of file.
int skip_comment(int index, int& line_counter);
// From the `//` at `index`: skips the rest of the line and every following
// line that begins with `//`; 0 with the first other line in the table, -1
// at end of file.
int skip_line_comment(int index, int& line_counter);
// From the quote at `index`: index of the closing quote in the table current
// on return, -1 at end of file or of a #define (define_ends_here). Leaves
// the literal's text in qstr_buf or qchr_buf.
int skip_quote(int index, int& line_counter, int quote);

// True when the current line, as read, ends in a backslash: the next line
// continues it.
bool line_continues();
// While a #define is read (in_define): true when the current line is its
// last, so a reader at the line's end reads no further; define_ended is
// set. A comment's lines are the define's own, so skip_comment reads on.
bool define_ends_here();
// True when the current line is a preprocessor directive (its first token
// is "#").
bool at_directive();
// Counts the directive whose word (after '#') is `d` as the pass does:
// inside a body an #if-family line opens a conditional and an #endif closes
// one, or is reported when none is open. Other directives count nothing.
void count_conditional(const char* d, int line_counter);
// For readers that go on across lines in ordinary text: while the current
// line is a directive, passes over it (continuation lines included), counts
// an #if-family or #endif line in g_scan.pass as the pass itself would, and
// reads the next line in mode 0. 0 with a non-directive line in the table,
// -1 at end of file.
int pass_directives(int& line_counter);
// next_line in mode 0 followed by pass_directives.
int next_code_line(int& line_counter);

}  // namespace kavel

#endif  // KAVEL_SCANNER_TOKENIZER_H_
