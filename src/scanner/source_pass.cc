// The pass over one source file. It walks the token table line by line with
// a small state machine: brace depth, conditional lines inside bodies, a
// header-seen flag, and where the current function's text starts. Headers,
// declarations and argument lists are taken apart by the declaration
// analysis; this file decides when to ask and what to do with the answer.
#include "scanner/source_pass.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "scanner/decl_analysis.h"
#include "scanner/include_files.h"
#include "scanner/macro_lines.h"
#include "scanner/quiet_lines.h"
#include "scanner/self_calls.h"
#include "scanner/token_rules.h"
#include "scanner/tokenizer.h"
#include "support/message_texts.h"
#include "support/messages.h"
#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/name_checks.h"

namespace kavel {

namespace {

// Passes over the continuation lines of a directive; false at end of file.
bool skip_continuations(int& line_counter) {
  while (line_continues()) {
    if (next_line(kText, line_counter) < 0) return false;
  }
  return true;
}


// Where the text of the definition being read stands: no start noted yet,
// its start noted, or its record entered (the end comes at its '}').
enum text_state { kNoStart = 0, kStartNoted = 1, kRecordEntered = 2 };

// What follows the ')' that closes a group at file level, past the
// attribute-like invocations after it: a '{', old-style parameter
// declarations and then the '{', a ';', ',' or '=' that ends a declaration
// (`int f(int) __attribute__((cold));`), or anything else.
enum class after_group { kBrace, kDeclarations, kEnd, kOther };

// The current line as the pass holds it; restored, the pass goes on as if
// nothing had been read past it. The lines read ahead may have grown the
// line storage, so the held bytes go back into the storage current then
// and the token pointers into the line move with them; the others point at
// constant marks and stay. Only the line's own bytes are held, in storage
// kept from one look to the next (a look never begins inside another), so
// a look costs no allocation.
struct held_line {
  static inline std::vector<char> buf;
  static inline std::vector<char> org;
  static inline std::vector<const char*> token;
  const char* base;  // line_buf when held
  size_t len;        // the line's bytes and its terminator
  int token_no;
  int line_len;
  long long next;
  pass_view pass;  // the UTF-8 check among it: lines read ahead are checked again
  held_line()
      : base(g_scan.line_buf),
        len(static_cast<size_t>(g_scan.line_len) + 1),
        token_no(g_scan.token_no),
        line_len(g_scan.line_len),
        next(g_scan.fp.pos()),
        pass(g_scan.pass) {
    g_scan.watch.off = true;
    buf.assign(g_scan.line_buf, g_scan.line_buf + len);
    org.assign(g_scan.line_org, g_scan.line_org + len);
    token.assign(g_scan.token, g_scan.token + g_scan.token_no + 1);
  }
  ~held_line() {
    // Storage never shrinks, so what held the line then holds it now.
    g_scan.fp.seek(next);
    std::copy(buf.begin(), buf.end(), g_scan.line_buf);
    std::copy(org.begin(), org.end(), g_scan.line_org);
    for (size_t k = 0; k < token.size(); k++) {
      const char* t = token[k];
      if (t >= base && t < base + len)
        t = g_scan.line_buf + (t - base);
      g_scan.token[k] = t;
    }
    g_scan.token_no = token_no;
    g_scan.line_len = line_len;
    g_scan.pass = pass;
    g_scan.watch.off = false;
  }
};

bool is_name(const char* t) {
  unsigned char c = static_cast<unsigned char>(t[0]);
  return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Moves j, in a look ahead, to the next token that is not a comment,
// reading on across line ends and directive lines. False at end of file.
bool reach_code(int& j, int& line_counter) {
  for (;;) {
    if (j >= g_scan.token_no) {
      if (next_code_line(line_counter) < 0) return false;
      j = 0;
      continue;
    }
    const char* t = g_scan.token[j];
    if (t[0] == '/' && t[1] == '*' && t[2] == 0) {
      j = skip_comment(j, line_counter);
      if (j < 0) return false;
      j++;
      continue;
    }
    if (t[0] == '/' && t[1] == '/' && t[2] == 0) {
      if (skip_line_comment(j, line_counter) < 0 || pass_directives(line_counter) < 0)
        return false;
      j = 0;
      continue;
    }
    return true;
  }
}

// Passes over the attributes that may follow a header's ')': each a name
// with a parenthesised group on its line (`__attribute__((cold))`,
// `__printf(1, 2)`, `__acquires(l)`, `__asm__("x")`) or a word. After
// typed parameters any word is one (`__weak __alias(f);`); after a group
// that may be a macro invocation or an old-style header only a macro name
// the checks take for a separator (`__init`) is, as `FILE *fp;` declares a
// parameter. j is left on the first token after them. False at end of
// file, when a group holds a ';' or a brace (no attribute does), and when
// the group before held no type word but this one does: then this is the
// header, the group before a macro invocation (`__attribute((weak))
// f(unsigned long size)`).
bool pass_attributes(int& j, int& line_counter, bool typed_header) {
  for (;;) {
    if (!reach_code(j, line_counter)) return false;
    const char* t = g_scan.token[j];
    if (!is_name(t) || check_type(t) || check_keyword(t)) return true;
    if (g_scan.token[j + 1][0] != '(') {
      if (!typed_header && check_sep(t) == nullptr) return true;
      j++;
      continue;
    }
    const bool any_words = typed_header || check_attribute(t);
    int open = 0;
    for (j++;; j++) {
      if (!reach_code(j, line_counter)) return false;
      const char* u = g_scan.token[j];
      const char c = u[0];
      if (c == '"' || c == '\'') {
        j = skip_quote(j, line_counter, c);
        if (j < 0) return false;
      } else if (c == ';' || c == '{' || c == '}' || (!any_words && check_type(u))) {
        return false;
      } else if (c == '(') {
        open++;
      } else if (c == ')' && --open == 0) {
        break;
      }
    }
    j++;
  }
}

// Reads on from the ')' at token r, past its attributes, to see what
// follows: a '{' (comments and directive lines may stand between), or
// old-style parameter declarations, each ending in ';', and then the '{'.
// A declaration holds no literal, no '=' and no name directly followed by
// '(' other than a type word (`int (*cmp)();`), so a macro invocation after
// a group ends the look at once.
after_group look_after_group(int r, int line_counter) {
  held_line held;
  int j = r + 1;
  if (!pass_attributes(j, line_counter, g_tab.Fun.form == kTypedParams))
    return after_group::kOther;
  const char first = g_scan.token[j][0];
  if (first == ';' || first == ',' || first == '=') return after_group::kEnd;
  bool in_declaration = false;
  bool declarations = false;
  bool after_name = false;
  for (;; j++) {
    if (!reach_code(j, line_counter)) return after_group::kOther;
    const char* t = g_scan.token[j];
    const char c = t[0];
    if (c == '{') {
      if (in_declaration) return after_group::kOther;
      return declarations ? after_group::kDeclarations : after_group::kBrace;
    }
    if (c == ';') {
      if (!in_declaration) return after_group::kOther;
      in_declaration = false;
      declarations = true;
    } else if (c == '"' || c == '\'' || c == '=' || c == '}' || (c == '(' && after_name)) {
      return after_group::kOther;
    } else {
      in_declaration = true;
    }
    after_name = is_name(t) && !check_type(t);
  }
}

// Whether the call-shaped group closed at token r, at file level and not
// followed by ',', ';' or '=', heads a function. Parameters with type words
// make it one unless attributes and then the end of a declaration follow;
// a group of plain names is an old-style header only when a body or
// parameter declarations follow; any other group (`__printf(1, 2)`,
// `module_init(f)` followed by more invocations) is a macro invocation
// unless a '{' follows it.
bool group_heads_function(int r, int line_counter) {
  const group_form form = g_tab.Fun.form;
  if (g_scan.token[r + 1][0] == '{') return true;
  after_group next = look_after_group(r, line_counter);
  if (form == kTypedParams) return next != after_group::kEnd;
  return next == after_group::kBrace || (form == kPlainNames && next == after_group::kDeclarations);
}

// Whether the header-shaped group closed at token r is a prototype after
// all: attributes, on its line or the next, and then ';' (`int f(const
// char *fmt, ...) __attribute__((format(printf, 1, 2)));`).
bool ends_prototype(int r, int line_counter) {
  return g_scan.token[r + 1][0] != '{' && look_after_group(r, line_counter) == after_group::kEnd;
}

// What the pass keeps while it reads one file.
struct file_pass {
  file_pass(const char* name, scan_pass p, int* count)
      : file_name(name), pass(p), macro_count(count) {}

  const char* file_name;
  scan_pass pass;
  int* macro_count;
  int line_counter = 0;
  int header_flag = 0;
  text_state state = kNoStart;
  long long noted_start = 0;
  long long latch_offset = 0;
  long long line_offset = 0;
  int header_line = 0;
  int record = -1;  // the record entered for the current definition
  std::string cur_fun;
  // The run of words and '*' that ends at a header's name: the offset of the
  // line of its first word, -1 when no run is open. A return type on a line
  // of its own that is no known type word (`size_t`) belongs to the text.
  long long run_start = -1;
  // A word that ended the last line at file level: a '(' that begins the
  // next line follows it (see carry_word).
  std::string carried_name;
  int offset_line = 0;  // line number whose start is line_offset

  // Pass 1 at a line read at depth 0: its offset is known.
  void start_line() {
    long long off = g_scan.fp.start();
    if (state == kNoStart) latch_offset = off;
    line_offset = off;
    offset_line = line_counter;
  }
  void note_start() {
    noted_start = latch_offset;
    state = kStartNoted;
  }
  // A header ended at depth 0: the first pass registers its definition, the
  // second takes the name the body's calls belong to.
  void header_found() {
    if (pass == kFirstPass) {
      accept_header();
    } else {
      take_header_pass2();
    }
  }
  void accept_header();
  void take_header_pass2() {
    // The first header before a body names it, as in pass 1: an attribute
    // group after it (`f(void) __acquires(l) {`) reads as a second one.
    if (header_flag) return;
    // The whole name: a name cut short would find no record, and the body's
    // calls would be lost.
    cur_fun = g_tab.Fun.name[0] ? *g_tab.Fun.name[0] : std::string();
    header_flag = 1;
  }
  // Pass 1 at token `t`: opens or closes the run of words before a header.
  void track_run(const char* t) {
    const unsigned char c = static_cast<unsigned char>(t[0]);
    // Only a word read on a line whose start is known can open the run:
    // an analyser that read on leaves line_offset at an earlier line.
    // A macro name the checks take for a separator (`__init`) is a word here.
    bool word = (c == '*' && t[1] == 0) || sep_index(c) < 0;
    // A '(' is the header's own when it follows the name; the call rule
    // below closes the run after it.
    if ((!word && c != '(') || g_scan.pass.depth > 0) {
      run_start = -1;
    } else if (run_start < 0 && offset_line == line_counter && c != '*') {
      run_start = line_offset;
    }
  }
  // The '#' at token `i`; true when the rest of the line is done.
  bool directive(int i);
  // The declaration or header that starts at token `i`; `i` is left on its
  // last token. False at end of file.
  bool declaration_step(int& i);
  // At the comment mark `c` ("/*" or "//") at token `i`: the comment is
  // passed over. `next_line` is set when the rest of the line is done.
  // False at a read error.
  bool comment_step(unsigned char c, int& i, bool& next_line);
  // A call analysed into Fun whose ')' is token `i`: at depth 0 it may
  // head a definition, inside a body pass 2 records it.
  void call_found(int i);
  // A '}' brought the depth back to 0: the definition ends.
  void close_body();
  // A '{' or '}' of code. Braces inside an #if within a body count
  // nothing, as the alternatives of the #if may each open the same block.
  void brace(unsigned char c) {
    pass_view& pv = g_scan.pass;
    if (c == '{') {
      if (pv.depth == 0) g_tab.lfun_cnt = 0;
      if (pv.cond_depth == 0) pv.depth++;
      return;
    }
    if (pv.depth > 0 && pv.cond_depth == 0) pv.depth--;
    if (pv.depth == 0) close_body();
  }
  // Token `i` (`t`) of code once comments, literals, directives,
  // declarations and braces are taken. False at end of file.
  bool code_step(const char* t, int& i) {
    const int depth = g_scan.pass.depth;
    const bool names_count = pass == kSecondPass && depth > 0 && calls_matter();
    switch (code_rule(pass, depth, t, i, line_counter, header_line, names_count)) {
      case kCodeEnd:
        return false;
      case kCodeOpenParen:
        run_start = -1;
        break;
      case kCodeCall:
        call_found(i);
        break;
      case kCodeMacroName:
        add_call(cur_fun.c_str(), t);
        break;
      default:
        break;
    }
    return true;
  }
};

void file_pass::accept_header() {
  if (state == kNoStart) note_start();
  if (header_flag) return;
  if (add_fun(kFunction, file_name, header_line, g_scan.line_org) == 0 && state == kStartNoted) {
    record = g_tab.fun_no - 1;
    fun_info& r = g_tab.Finf[record];
    long long head = run_start >= 0 && run_start < line_offset ? run_start : line_offset;
    r.set_top_pos(noted_start < head ? noted_start : head);
    r.set_head_pos(head);
    r.set_end_pos(noted_start);
    state = kRecordEntered;
  } else {
    state = kNoStart;
  }
  header_flag = 1;
}

bool file_pass::directive(int i) {
  const scan_state& s = g_scan;
  const char* const* tok = s.token;
  const int depth = s.pass.depth;
  const char* d = tok[i + 1];
  if (is_word(d, "define")) {
    if (i + 2 < s.token_no - 1) {
      // Offsets are computed only for lines the pass reads at depth 0,
      // so inside a body this is the offset of an earlier line.
      chk_define(file_name, pass, depth, i + 2, line_counter, macro_count, line_offset);
    }
    return true;
  }
  if (std::strncmp(d, "if", 2) == 0 || is_word(d, "elif")) {
    count_conditional(d, line_counter);
    skip_continuations(line_counter);
    return true;
  }
  if (is_word(d, "endif")) {
    count_conditional(d, line_counter);
    return true;
  }
  if (pass == kFirstPass && is_word(d, "include")) {
    std::string text;
    int first = i + 2;
    char closing = tok[first][0] == '<' ? '>' : '"';
    for (int k = first; k < s.token_no; k++) {
      text += tok[k];
      if (k > first && tok[k][0] == closing) break;
    }
    add_include(text.c_str(), 0, file_name);
    return true;
  }
  if (i == 0) {
    // A directive no rule handles (#pragma, #error, #else, #undef, and
    // #include in pass 2) is not code: an apostrophe in an #error text
    // must open no literal, and `#pragma warning(disable: 4100)` is no
    // call.
    skip_continuations(line_counter);
    return true;
  }
  return false;
}

bool file_pass::declaration_step(int& i) {
  const int depth = g_scan.pass.depth;
  decl_end r = ana_decl(pass, depth, header_flag, i, line_counter, header_line, cur_fun.c_str());
  if (r.at < 0) return false;
  if (r.header && depth == 0 && (header_flag || !ends_prototype(r.at, line_counter)))
    header_found();
  // A '}' that ended the statement is the body's, met next.
  i = r.before_brace ? r.at - 1 : r.at;
  run_start = -1;  // the statement ended at a ';', a '}' or a header's ')'
  return true;
}

void file_pass::call_found(int i) {
  const int depth = g_scan.pass.depth;
  char follower = g_scan.token[i + 1][0];
  // `DEFINE_CLASS(x) = { ... };` declares a variable through a macro,
  // as `int f(int);` declares one: '=' ends no header either.
  bool declaration = follower == ',' || follower == ';' || follower == '=';
  if (depth == 0) {
    if (!declaration && group_heads_function(i, line_counter)) header_found();
  } else if (pass == kSecondPass && calls_matter()) {
    add_group_calls(cur_fun.c_str());
  }
  run_start = -1;
}

void file_pass::close_body() {
  if (pass == kSecondPass && !cur_fun.empty()) {
    int rec = first_open_record(cur_fun.c_str());
    if (header_flag && rec >= 0) close_record(rec);
  }
  if (pass == kSecondPass) {
    // What a body declared or assigned ends with it, a function's or not:
    // a #define after it names no local variable.
    forget_assignments();
    g_tab.lfun_cnt = 0;
  }
  cur_fun.clear();
  if (state == kRecordEntered && record >= 0) g_tab.Finf[record].set_end_pos(g_scan.fp.pos());
  state = kNoStart;
  header_flag = 0;
  record = -1;
}

bool file_pass::comment_step(unsigned char c, int& i, bool& next_line) {
  const char* line = g_scan.line_buf;
  if (c == '*') {
    if (state == kNoStart && std::strncmp(line, "/*", 2) == 0) note_start();
    i = skip_comment(i, line_counter);
    return i >= 0;
  }
  // Only a line that begins with "//" hands the lines after it to the
  // comment skipping; after code, the rest of the line is simply done and
  // the next line gets its offset like any other.
  if (std::strncmp(line, "//", 2) != 0) {
    next_line = true;
    return true;
  }
  if (state == kNoStart) note_start();
  if (skip_line_comment(i, line_counter) < 0) return false;
  i = -1;
  return true;
}

}  // namespace

int scan_source(const char* file_name, scan_pass pass, int* macro_count) {
  scan_state& s = g_scan;
  pass_view& pv = s.pass;
  pv = pass_view{};
  pv.file_name = file_name;
  pv.utf8 = true;
  const int& depth = pv.depth;

  s.watch.open_depth.clear();
  file_pass f(file_name, pass, macro_count);
  int& line_counter = f.line_counter;
  const int& header_flag = f.header_flag;
  text_state& state = f.state;

  for (;;) {
    if (read_line(line_counter) < 0) break;
    if (depth > 0 && f.carried_name.empty() && quiet_in_body(pass)) continue;
    // The first byte turns nearly every line away before the compare.
    if (s.line_buf[0] == 'e' && is_word(s.line_buf, "extern \"C\" {\n")) continue;
    if (pass == kFirstPass && depth == 0) f.start_line();
    set_token(s.line_buf, kText);
    // A header's name may end its line and its '(' begin the next (GNU
    // style: `static my_t f` / `(int a)`): the name is carried over, so the
    // '(' has it before it as on one line. Inside bodies a word at a line's
    // end is as often a statement macro before a cast (`ARG_FETCH` /
    // `(void)x;`), so only names at file level are carried.
    if (!f.carried_name.empty() && s.token_no > 0 && s.token[0][0] == '(' && s.token[0][1] == 0)
      carry_word(f.carried_name);
    f.carried_name.clear();

    bool next_line_wanted = false;
    for (int i = 0; i < s.token_no && !next_line_wanted; i++) {
      const char* t = s.token[i];
      unsigned char c = static_cast<unsigned char>(t[0]);
      if (g_opt.lead_flag && state == kNoStart) f.note_start();
      if (pass == kFirstPass) f.track_run(t);

      if (c == '/' && (t[1] == '*' || t[1] == '/') && t[2] == 0) {
        if (!f.comment_step(static_cast<unsigned char>(t[1]), i, next_line_wanted)) return -1;
        continue;
      }
      if (c == '"' || c == '\'') {
        i = skip_quote(i, line_counter, c);
        if (i < 0) return 0;
        continue;
      }
      if (c == '#' && f.directive(i)) {
        next_line_wanted = true;
        continue;
      }

      bool type_start = starts_declaration(i);
      bool old_style_param = depth == 0 && header_flag && c != '{' && !is_word(t, "struct") &&
                             !is_word(t, "register");
      if (type_start || old_style_param) {
        if (!f.declaration_step(i)) return -1;
        continue;
      }
      if (c == '{' || c == '}') {
        f.brace(c);
        continue;
      }
      const int at = i;
      if (!f.code_step(t, i)) return -1;
      if (i == at && i == s.token_no - 1 && depth == 0 && (c == '_' || std::isalpha(c)) &&
          !check_keyword(t) && !check_type(t))
        f.carried_name = t;
    }
  }
  if (pass == kFirstPass && depth != 0) {
    errmsg1(kMsgLastFunctionOpen, file_name);
  }
  return 0;
}

void reset_scanning() {
  reset_options();
  reset_scan();
  reset_names();
  reset_tables();
  reset_includes();
  reset_ignore();
  reset_messages();
  reset_self_calls();
}

}  // namespace kavel
