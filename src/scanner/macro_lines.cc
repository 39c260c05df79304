// #define lines. A replacement that may call something makes the macro a
// function of its own; its calls are recorded in pass 2 the way a body's
// are, so `LOCK(m)` in a caller leads to what LOCK calls.
#include "scanner/macro_lines.h"

#include <cstring>
#include <string>

#include "scanner/decl_analysis.h"
#include "scanner/self_calls.h"
#include "scanner/token_rules.h"
#include "scanner/tokenizer.h"
#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/name_checks.h"

namespace kavel {

namespace {

// What the scan of a replacement knows of the macro: nothing (it is no
// function the tables hold, or an ignored one), that it is a known function,
// or that its replacement calls something.
enum macro_state { kNothingKnown, kKnownFunction, kCallsSomething };

bool last_is_backslash() {
  return g_scan.token_no > 0 && is_word(g_scan.token[g_scan.token_no - 1], "\\");
}

// Pass 1 reading the replacement of macro record `record`: g_self watches
// how it names the macro until the scan leaves it, by any way out.
struct self_watch_scope {
  self_watch_scope(const char* name, int record, int depth) {
    if (record < 0) return;
    g_self.name = name;
    g_self.record = record;
    g_self.notes.uses = depth > 0 ? kSelfInBody : 0;
  }
  ~self_watch_scope() { g_self.close(); }
};

// Pass 2 reading the replacement of `macro_name`, which ends at its last
// line, when its record is the first open one of the name: an earlier
// record pass 2 never closed is not this one.
struct replacement_scope {
  replacement_scope(scan_pass pass, const char* macro_name, const char* file_name, int line) {
    if (pass != kSecondPass) return;
    int n = first_open_record(macro_name);
    if (n < 0) return;
    const fun_info& r = g_tab.Finf[n];
    if (r.line != line || std::strcmp(r.file.c_str(), file_name) != 0) return;
    g_tab.replacement_of = n;
  }
  ~replacement_scope() { g_tab.replacement_of = -1; }
};

// A #define being read: the analysers stop at its last line.
struct define_scope {
  define_scope() {
    g_scan.in_define = true;
    g_scan.define_ended = false;
  }
  ~define_scope() {
    g_scan.in_define = false;
    g_scan.define_ended = false;
  }
};

// What the scan of a replacement knows of `macro_name` at its start. Pass 1
// enters the macro's record, whose number goes to `record`.
macro_state know_macro(const char* file_name, scan_pass pass, int line_counter,
                       const char* macro_name, long long line_offset, int& record) {
  if (check_ignfun(macro_name) != 0) return kNothingKnown;
  if (pass == kSecondPass) return ser_fun(macro_name) >= 0 ? kKnownFunction : kNothingKnown;
  g_tab.Fun.name[0] = std::string(macro_name);
  if (add_fun(kMacro, file_name, line_counter, g_scan.line_org) != 0) return kNothingKnown;
  record = g_tab.fun_no - 1;
  fun_info& r = g_tab.Finf[record];
  r.set_top_pos(line_offset);
  r.set_end_pos(line_offset);
  r.set_head_pos(-1);
  return kKnownFunction;
}

}  // namespace

int chk_define(const char* file_name, scan_pass pass, int depth, int index, int& line_counter,
               int* macro_count, long long line_offset) {
  const char* const* tok = g_scan.token;
  const char* next = tok[index + 1];
  if (next[0] != '(' && check_sep(next)) {
    // `#define NEG -1`, `#define BEGIN {`: a '(' after such a name is no call.
    if (pass == kFirstPass && macro_count) {
      g_names.mac_name.append(tok[index]);
      *macro_count = g_names.mac_name.size();
    }
    while (last_is_backslash()) {
      if (next_line(kText, line_counter) < 0) return -1;
    }
    return 0;
  }
  std::string macro_name = tok[index];
  define_scope reading;
  int start;
  int object_like;
  if (next[0] == '(') {
    int header_line = 0;
    int r = ana_args(pass, depth, index, line_counter, header_line, kMacroParams);
    if (r < 0) return 0;
    int j = r;
    tok = g_scan.token;
    if (j == g_scan.token_no - 1) return 0;  // no replacement on the line
    if (!last_is_backslash() && std::strncmp(tok[j + 1], "/*", 2) == 0) return 0;
    start = j + 1;
    object_like = 0;
  } else {
    if (!last_is_backslash()) {
      bool calls = false;
      for (int k = index + 2; k < g_scan.token_no && !calls; k++) {
        calls = tok[k][0] == '(' && !check_sep(tok[k - 1]);
      }
      if (!calls) return 0;
    }
    start = index + 1;
    object_like = 1;
  }
  chk_macro_body(file_name, pass, depth, start, line_counter, macro_name.c_str(), object_like,
                 line_offset);
  return 0;
}

int chk_macro_body(const char* file_name, scan_pass pass, int depth, int start, int& line_counter,
                   const char* macro_name, int object_like, long long line_offset) {
  int record = -1;
  macro_state state = know_macro(file_name, pass, line_counter, macro_name, line_offset, record);
  self_watch_scope watch(macro_name, record, depth);
  replacement_scope reading(pass, macro_name, file_name, line_counter);
  int header_line = 0;
  int i = start;
  for (;;) {
    // A // comment ends the replacement; so does its last line, for a
    // construct read to its end (define_ended).
    bool ended = false;
    for (; i < g_scan.token_no; i++) {
      const char** tok = g_scan.token;
      const char* t = tok[i];
      unsigned char c = static_cast<unsigned char>(t[0]);
      if (is_word(t, "/*")) {
        i = skip_comment(i, line_counter);
        if (i < 0) return -1;
        continue;
      }
      if (is_word(t, "//")) {
        ended = true;
        break;
      }
      if (c == '"' || c == '\'') {
        i = skip_quote(i, line_counter, c);
        if (i >= 0) continue;
        if (g_scan.define_ended) break;
        return 0;
      }
      if (!is_word(t, "typedef") && starts_declaration(i)) {
        decl_end r = ana_decl(pass, depth, 0, i, line_counter, header_line, macro_name);
        if (r.at < 0 && g_scan.define_ended) break;  // it ends with the replacement
        if (r.at < 0) return -1;
        i = r.before_brace ? r.at - 1 : r.at;
        continue;
      }
      code_step step =
          code_rule(pass, depth, t, i, line_counter, header_line, state != kNothingKnown);
      // An unclosed group ends with the replacement too, as no call.
      if (step == kCodeEnd && g_scan.define_ended) break;
      if (step == kCodeEnd) return -1;
      if (step == kCodeCall && state != kNothingKnown && group_callees() > 0) {
        state = kCallsSomething;
        if (pass == kSecondPass) add_group_calls(macro_name);
      } else if (step == kCodeMacroName) {
        state = kCallsSomething;
        if (pass == kSecondPass) add_call(macro_name, t);
      }
      if (step != kCodeCall && record >= 0 && tok[i + 1][0] != '(')
        g_self.note_word(t, kSelfPlainCode);
    }
    if (ended || g_scan.define_ended || !last_is_backslash()) break;
    if (next_line(kText, line_counter) < 0) return -1;
    i = 0;
    if (g_scan.token_no == 0) break;
  }

  if (record >= 0) g_tab.Finf[record].set_end_pos(g_scan.fp.pos());
  if (pass == kFirstPass) {
    if (object_like) g_names.mac_call.append(macro_name);
  } else if (state != kNothingKnown) {
    // Every definition of the name is passed here, calling or not: a
    // macro left open would take the calls of a function of its name
    // after it (`#define dup(p) 0` beside the real `dup`).
    int n = first_open_record(macro_name);
    if (n >= 0) close_record(n);
  }
  return 0;
}

}  // namespace kavel
