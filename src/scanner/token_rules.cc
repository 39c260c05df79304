// Calls and assignments met in a body or a macro replacement. A call
// through a function-name variable goes to the names assigned to it, so
// each is analysed as if it had been called by name.
#include "scanner/token_rules.h"

#include <cstring>

#include "scanner/decl_analysis.h"
#include "scanner/self_calls.h"
#include "tables/fun_table.h"

namespace kavel {

call_form call_paren(int i) {
  const char* const* tok = g_scan.token;
  if (i > 0 && !check_keyword(tok[i - 1]) && !check_sep(tok[i - 1])) return kNameCall;
  if (i + 5 <= g_scan.token_no && is_word(tok[i + 1], "*") && !check_sep(tok[i + 2]) &&
      tok[i + 3][0] == ')' && tok[i + 4][0] == '(') {
    return kPointerCall;
  }
  return kNoCall;
}

int call_rule(scan_pass pass, int depth, call_form form, int& i, int& line_counter, int& header_line) {
  const char** tok = g_scan.token;
  bool pointer_form = form == kPointerCall;
  // `( * fp ) (` at file level may declare a pointer to functions, with a
  // type pass 1 does not know yet (`later_t (*fp)(int);`).
  if (pass == kFirstPass && depth == 0 && i + 4 < g_scan.token_no && is_word(tok[i + 1], "*") &&
      tok[i + 3][0] == ')' && tok[i + 4][0] == '(')
    g_self.pointers.add(tok[i + 2]);
  // `fp(x)` calls through a pointer as `(*fp)(x)` does; name_at is where
  // the callee's name stands in for the variable.
  int name_at = i + 3;
  pfun_info* v = nullptr;
  if (!pointer_form) {
    v = pass == kSecondPass ? ser_pfun(tok[i - 1]) : nullptr;
    if (!v || v->kind == kDeclaredFun) return ana_args(pass, depth, i - 1, line_counter, header_line, kCallArgs);
    name_at = i - 1;
  } else {
    // `(*M)(x)` in a macro's replacement: pass 2 may find M a variable.
    if (pass == kFirstPass) g_self.note_word(tok[i + 2], kSelfPlainGroup);
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
  bool assigned = !(v->kind == kDeclaredFun || v->kind == kPointerParam || v->fun_cnt == 0);
  const char* callee = assigned ? v->funs[0].c_str() : v->name.c_str();
  if (check_sep(callee)) callee = v->name.c_str();
  tok[name_at] = callee;
  int r = ana_args(pass, depth, name_at, line_counter, header_line, kCallArgs);
  if (r >= 0 && assigned && pass == kSecondPass) {
    fun_group& f = g_tab.Fun;
    for (int k = v->fun_done ? v->fun_done : 1; k < v->fun_cnt; k++) {
      new_fun_entry(f.num, v->funs[k]);
      f.num++;
    }
    v->fun_done = v->fun_cnt;
  }
  return r;
}

void note_assigned(int i) {
  const char* const* tok = g_scan.token;
  const char* value = tok[i + 1];
  if (is_word(value, "&") && tok[i + 2][0] != 0) value = tok[i + 2];
  if (value[0] != 0) g_self.assigned.add(value);
}

void assign_rule(int i) {
  if (i == 0) return;
  const char* const* tok = g_scan.token;
  pfun_info* v = ser_pfun(tok[i - 1]);
  if (!v) return;
  // `fp = &f;` assigns f, as `fp = f;` does.
  const char* value = tok[i + 1];
  if (is_word(value, "&") && tok[i + 2][0] != 0) value = tok[i + 2];
  if (static_cast<int>(v->funs.size()) > v->fun_cnt) {
    v->funs[v->fun_cnt] = value;
  } else {
    v->funs.emplace_back(value);
  }
  note_assignment(v);
}

}  // namespace kavel
