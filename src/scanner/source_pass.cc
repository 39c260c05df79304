// The pass over one source file. It walks the token table line by line with
// a small state machine: brace depth, conditional lines inside bodies, a
// header-seen flag, and where the current function's text starts. Headers,
// declarations and argument lists are taken apart by the declaration
// analysis; this file decides when to ask and what to do with the answer.
#include "scanner/source_pass.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "extract/ignore_list.h"
#include "scanner/include_files.h"
#include "scanner/macro_lines.h"
#include "scanner/tokenizer.h"
#include "support/messages.h"
#include "support/options.h"
#include "tables/decl_analysis.h"
#include "tables/fun_table.h"
#include "tables/name_checks.h"

namespace kavel {

namespace {

bool is(const char* t, const char* word) { return std::strcmp(t, word) == 0; }

// Passes over the continuation lines of a directive; false at end of file.
bool skip_continuations(int& line_counter) {
  while (line_continues()) {
    if (next_line(kText, line_counter) < 0) return false;
  }
  return true;
}


// What follows the ')' that closes a group at file level.
enum class after_group { kBrace, kDeclarations, kOther };

// The current line as the pass holds it; restored, the pass goes on as if
// nothing had been read past it. The lines read ahead may have grown the
// line storage, so the held bytes go back into the storage current then
// and the token pointers into the line move with them; the others point at
// constant marks and stay.
struct held_line {
  std::vector<char> buf;
  std::vector<char> org;
  std::vector<const char*> token;
  const char* base;  // line_buf when held
  int token_no;
  long long next;
  pass_view pass;  // the UTF-8 check among it: lines read ahead are checked again
  held_line()
      : buf(g_scan.line_buf, g_scan.line_buf + g_scan.buf_store.size()),
        org(g_scan.line_org, g_scan.line_org + g_scan.org_store.size()),
        token(g_scan.token, g_scan.token + g_scan.token_no + 1),
        base(g_scan.line_buf),
        token_no(g_scan.token_no),
        next(g_scan.fp.pos()),
        pass(g_scan.pass) {}
  ~held_line() {
    // Storage never shrinks, so what held the line then holds it now.
    g_scan.fp.seek(next);
    std::copy(buf.begin(), buf.end(), g_scan.line_buf);
    std::copy(org.begin(), org.end(), g_scan.line_org);
    for (size_t k = 0; k < token.size(); k++) {
      const char* t = token[k];
      if (t >= base && t < base + buf.size())
        t = g_scan.line_buf + (t - base);
      g_scan.token[k] = t;
    }
    g_scan.token_no = token_no;
    g_scan.pass = pass;
  }
};

bool is_name(const char* t) {
  unsigned char c = static_cast<unsigned char>(t[0]);
  return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Reads on from the ')' at token r to see whether a body follows: a '{'
// (comments and directive lines may stand between), or old-style parameter
// declarations, each ending in ';', and then the '{'. A declaration holds
// no literal, no '=' and no name directly followed by '(' other than a type
// word (`int (*cmp)();`), so a macro invocation after a group ends the look
// at once.
after_group look_after_group(int r, int line_counter) {
  std::unique_ptr<held_line> held(new held_line);
  bool in_declaration = false;
  bool declarations = false;
  bool after_name = false;
  for (int j = r + 1;;) {
    if (j >= g_scan.token_no) {
      if (next_code_line(line_counter) < 0) return after_group::kOther;
      j = 0;
      continue;
    }
    const char* t = g_scan.token[j];
    if (t[0] == '/' && t[1] == '*' && t[2] == 0) {
      j = skip_comment(j, line_counter);
      if (j < 0) return after_group::kOther;
      j++;
      continue;
    }
    if (t[0] == '/' && t[1] == '/' && t[2] == 0) {
      if (skip_line_comment(j, line_counter) < 0 || pass_directives(line_counter) < 0)
        return after_group::kOther;
      j = 0;
      continue;
    }
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
    j++;
  }
}

// Whether the call-shaped group closed at token r, at file level and not
// followed by ',', ';' or '=', heads a function. Parameters with type words
// make it one as they always did; a group of plain names is an old-style
// header only when a body or parameter declarations follow; any other group
// (`__printf(1, 2)`, `module_init(f)` followed by more invocations) is a
// macro invocation unless a '{' follows it.
bool group_heads_function(int r, int line_counter) {
  const group_form form = g_tab.Fun.form;
  if (form == kTypedParams || g_scan.token[r + 1][0] == '{') return true;
  after_group next = look_after_group(r, line_counter);
  return next == after_group::kBrace || (form == kPlainNames && next != after_group::kOther);
}

}  // namespace

call_form call_paren(int i) {
  const char* const* tok = g_scan.token;
  if (i > 0 && !check_keyword(tok[i - 1]) && !check_sep(tok[i - 1])) return kNameCall;
  if (i + 5 <= g_scan.token_no && is(tok[i + 1], "*") && !check_sep(tok[i + 2]) &&
      tok[i + 3][0] == ')' && tok[i + 4][0] == '(') {
    return kPointerCall;
  }
  return kNoCall;
}

int call_rule(int pass, int depth, call_form form, int& i, int& line_counter, int& header_line) {
  const char** tok = g_scan.token;
  bool pointer_form = form == kPointerCall;
  // `fp(x)` calls through a pointer as `(*fp)(x)` does; name_at is where
  // the callee's name stands in for the variable.
  int name_at = i + 3;
  pfun_info* v = nullptr;
  if (!pointer_form) {
    v = pass == 2 ? ser_pfun(tok[i - 1]) : nullptr;
    if (!v || v->kind == 0) return ana_args(pass, depth, i - 1, line_counter, header_line, 0);
    name_at = i - 1;
  } else {
    v = ser_pfun(tok[i + 2]);
    if (!v) {
      i += 4;
      return kCallSkipped;
    }
  }
  // The name the call goes to stands in for the ')' so that `name (` is
  // analysed as an ordinary call. A name that begins with a separator
  // (`fp = (handler_t)h;` assigns "(") would start no call and let the
  // analysis run on past the body's end, so the variable's own name serves.
  bool assigned = !(v->kind == 0 || v->kind == 2 || v->fun_cnt == 0);
  const char* callee = assigned ? v->funs[0].c_str() : v->name.c_str();
  if (check_sep(callee)) callee = v->name.c_str();
  tok[name_at] = callee;
  int r = ana_args(pass, depth, name_at, line_counter, header_line, 0);
  if (r >= 0 && assigned && pass == 2) {
    fun_group& f = g_tab.Fun;
    for (int k = v->fun_done ? v->fun_done : 1; k < v->fun_cnt; k++) {
      new_fun_entry(f.num, v->funs[k]);
      f.num++;
    }
    v->fun_done = v->fun_cnt;
  }
  return r;
}

void assign_rule(int i) {
  if (i == 0) return;
  const char* const* tok = g_scan.token;
  pfun_info* v = ser_pfun(tok[i - 1]);
  if (!v) return;
  // `fp = &f;` assigns f, as `fp = f;` does.
  const char* value = tok[i + 1];
  if (is(value, "&") && tok[i + 2][0] != 0) value = tok[i + 2];
  if (static_cast<int>(v->funs.size()) > v->fun_cnt) {
    v->funs[v->fun_cnt] = value;
  } else {
    v->funs.emplace_back(value);
  }
  note_assignment(v);
}

int scan_source(const char* file_name, int pass, int* macro_count) {
  scan_state& s = g_scan;
  pass_view& pv = s.pass;
  pv = pass_view{};
  pv.file_name = file_name;
  pv.utf8 = true;
  int& depth = pv.depth;
  int& cond_depth = pv.cond_depth;

  int line_counter = 0;
  int header_flag = 0;
  int text_state = 0;  // 0 no start noted, 1 start noted, 2 record entered
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
  int offset_line = 0;  // line number whose start is line_offset

  auto note_start = [&] {
    noted_start = latch_offset;
    text_state = 1;
  };
  auto accept_header = [&] {
    if (text_state == 0) note_start();
    if (header_flag) return;
    if (add_fun(0, file_name, header_line) == 0 && text_state == 1) {
      record = g_tab.fun_no - 1;
      fun_info& r = g_tab.Finf[record];
      long long head = run_start >= 0 && run_start < line_offset ? run_start : line_offset;
      r.top_pos = noted_start < head ? noted_start : head;
      r.head_pos = head;
      r.end_pos = noted_start;
      text_state = 2;
    } else {
      text_state = 0;
    }
    header_flag = 1;
  };
  auto take_header_pass2 = [&] {
    // The whole name: a name cut short would find no record, and the body's
    // calls would be lost.
    cur_fun = g_tab.Fun.name[0] ? *g_tab.Fun.name[0] : std::string();
    header_flag = 1;
  };

  for (;;) {
    if (read_line(line_counter) < 0) break;
    // The first byte turns nearly every line away before the compare.
    if (s.line_buf[0] == 'e' && is(s.line_buf, "extern \"C\" {\n")) continue;
    if (pass == 1 && depth == 0) {
      long long off = s.fp.start();
      if (text_state == 0) latch_offset = off;
      line_offset = off;
      offset_line = line_counter;
    }
    set_token(s.line_buf, kText);

    bool next_line_wanted = false;
    for (int i = 0; i < s.token_no && !next_line_wanted; i++) {
      const char** tok = s.token;
      const char* t = tok[i];
      unsigned char c = static_cast<unsigned char>(t[0]);
      if (g_opt.lead_flag && text_state == 0) note_start();
      if (pass == 1) {
        // Only a word read on a line whose start is known can open the run:
        // an analyser that read on leaves line_offset at an earlier line.
        // A macro name the checks take for a separator (`__init`) is a word here.
        bool word = (c == '*' && t[1] == 0) || sep_index(c) < 0;
        // A '(' is the header's own when it follows the name; the call rule
        // below closes the run after it.
        if ((!word && c != '(') || depth > 0) {
          run_start = -1;
        } else if (run_start < 0 && offset_line == line_counter && c != '*') {
          run_start = line_offset;
        }
      }

      if (c == '/' && t[1] == '*' && t[2] == 0) {
        if (text_state == 0 && std::strncmp(s.line_buf, "/*", 2) == 0) note_start();
        i = skip_comment(i, line_counter);
        if (i < 0) return -1;
        continue;
      }
      if (c == '/' && t[1] == '/' && t[2] == 0) {
        // Only a line that begins with "//" hands the lines after it to the
        // comment skipping; after code, the rest of the line is simply done
        // and the next line gets its offset like any other.
        if (std::strncmp(s.line_buf, "//", 2) != 0) {
          next_line_wanted = true;
          continue;
        }
        if (text_state == 0) note_start();
        if (skip_line_comment(i, line_counter) < 0) return -1;
        i = -1;
        continue;
      }
      if (c == '"' || c == '\'') {
        i = skip_quote(i, line_counter, c);
        if (i < 0) return 0;
        continue;
      }
      if (c == '#') {
        const char* d = tok[i + 1];
        if (is(d, "define")) {
          if (i + 2 < s.token_no - 1) {
            // Offsets are computed only for lines the pass reads at depth 0,
            // so inside a body this is the offset of an earlier line.
            chk_define(file_name, pass, depth, i + 2, line_counter, macro_count, line_offset);
          }
          next_line_wanted = true;
          continue;
        }
        if (std::strncmp(d, "if", 2) == 0 || is(d, "elif")) {
          if (!is(d, "elif") && depth > 0) cond_depth++;
          skip_continuations(line_counter);
          next_line_wanted = true;
          continue;
        }
        if (is(d, "endif")) {
          if (depth > 0) {
            if (cond_depth == 0) {
              errmsg1("syntax error; ifdef statement at %d line of \"%s\"\n", line_counter,
                      file_name);
            } else {
              cond_depth--;
            }
          }
          next_line_wanted = true;
          continue;
        }
        if (pass == 1 && is(d, "include")) {
          std::string text;
          int first = i + 2;
          char closing = tok[first][0] == '<' ? '>' : '"';
          for (int k = first; k < s.token_no; k++) {
            text += tok[k];
            if (k > first && tok[k][0] == closing) break;
          }
          add_include(text.c_str(), 0, file_name);
          next_line_wanted = true;
          continue;
        }
        if (i == 0) {
          // A directive no rule handles (#pragma, #error, #else, #undef, and
          // #include in pass 2) is not code: an apostrophe in an #error text
          // must open no literal, and `#pragma warning(disable: 4100)` is no
          // call.
          skip_continuations(line_counter);
          next_line_wanted = true;
          continue;
        }
      }

      bool type_start = starts_declaration(i);
      bool old_style_param = depth == 0 && header_flag && c != '{' && !is(t, "struct") &&
                             !is(t, "register");
      if (type_start || old_style_param) {
        int r = ana_decl(pass, depth, header_flag, i, line_counter, header_line, 0,
                         cur_fun.c_str());
        if (r < 0) return -1;
        if (r & kHeaderBit) {
          if (depth == 0) {
            if (pass == 1) {
              accept_header();
            } else {
              take_header_pass2();
            }
          }
        }
        i = r & ~kHeaderBit;
        run_start = -1;  // the statement ended at a ';' or a header's ')'
        continue;
      }
      if (c == '{') {
        if (depth == 0) g_tab.lfun_cnt = 0;
        if (cond_depth == 0) depth++;
        continue;
      }
      if (c == '}') {
        if (depth > 0 && cond_depth == 0) depth--;
        if (depth == 0) {
          if (pass == 2 && !cur_fun.empty()) {
            int rec = first_open_record(cur_fun.c_str());
            if (header_flag && rec >= 0) g_tab.Finf[rec].closed = 1;
            forget_assignments();
          }
          cur_fun.clear();
          if (text_state == 2 && record >= 0) g_tab.Finf[record].end_pos = s.fp.pos();
          text_state = 0;
          header_flag = 0;
          record = -1;
        }
        continue;
      }
      call_form form = c == '(' ? call_paren(i) : kNoCall;
      if (c == '(' && form == kNoCall) run_start = -1;
      if (form != kNoCall) {
        int r = call_rule(pass, depth, form, i, line_counter, header_line);
        if (r == kCallSkipped) continue;
        if (r < 0) return -1;
        i = r & ~kHeaderBit;
        tok = s.token;
        char follower = tok[i + 1][0];
        // `DEFINE_CLASS(x) = { ... };` declares a variable through a macro,
        // as `int f(int);` declares one: '=' ends no header either.
        bool declaration = follower == ',' || follower == ';' || follower == '=';
        if (depth == 0) {
          if (!declaration && group_heads_function(i, line_counter)) {
            if (pass == 1) {
              accept_header();
            } else {
              take_header_pass2();
            }
          }
        } else if (pass == 2) {
          add_group_calls(cur_fun.c_str());
        }
        run_start = -1;
        continue;
      }
      if (pass == 2 && c == '=' && tok[i + 1][0] != '=') {
        assign_rule(i);
        continue;
      }
      if (pass == 2 && depth > 0 && c >= 'A' && c < 0x80 && check_maccall(t)) {
        add_call(cur_fun.c_str(), t);
      }
    }
  }
  if (pass == 1 && depth != 0) {
    errmsg1("\"%s\": syntax error; The last function is not fixed.\n", file_name);
  }
  return 0;
}

}  // namespace kavel
