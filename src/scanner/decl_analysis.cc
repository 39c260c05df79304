// Declaration and argument analysis. All three analysers walk the token
// table by index and read on line by line until their construct ends (or
// the #define they read ends: see define_ends_here); a directive line met
// on the way belongs to no construct and is passed over by the tokenizer's
// code-line step. Every decision rests on a token's first character, a few
// exact words and the name checks. Where they return -1 "at end of file",
// they do so at the end of a #define too.
#include "scanner/decl_analysis.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/self_calls.h"
#include "scanner/token_rules.h"
#include "scanner/tokenizer.h"
#include "support/message_texts.h"
#include "support/messages.h"
#include "tables/fun_table.h"
#include "tables/name_checks.h"

namespace kavel {

namespace {

const char* tok(int i) {
  return g_scan.token[i];
}

bool is_comment_open(const char* t) {
  return t[0] == '/' && t[1] == '*';
}
bool is_line_comment(const char* t) {
  return t[0] == '/' && t[1] == '/';
}
bool is_comment_close(const char* t) {
  return t[0] == '*' && t[1] == '/';
}
bool is_quote(const char* t) {
  return t[0] == '"' || t[0] == '\'';
}
bool is_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The analysers read on across lines: once `i` is past the current line,
// the next line of code comes in and `i` starts over. False at end of file,
// and at the end of a #define's last line: what the define leaves open
// ends there.
bool reach_token(int& i, int& line_counter) {
  while (i >= g_scan.token_no) {
    if (define_ends_here() || next_code_line(line_counter) < 0)
      return false;
    i = 0;
  }
  return true;
}

// reach_token for a declaration, whose declarator's name may end its line
// while its '(' begins the next (`static int k` / `(int a)`): the name is
// carried in front of the new line, so the '(' has it before it as on one
// line.
bool reach_declarator_token(int& i, int& line_counter) {
  if (i < g_scan.token_no)
    return true;
  std::string word;
  if (g_scan.token_no > 0) {
    const char* last = tok(g_scan.token_no - 1);
    const unsigned char c = static_cast<unsigned char>(last[0]);
    if ((c == '_' || std::isalpha(c)) && !check_keyword(last) && !check_type(last))
      word = last;
  }
  if (!reach_token(i, line_counter))
    return false;
  if (!word.empty() && i == 0 && tok(0)[0] == '(') {
    carry_word(word);
    i = 1;
  }
  return true;
}

// Steps over what no analyser looks into: comments and literals. `i` is
// left on the token to look at next (index 0 after a line comment). False
// at end of file or of a #define.
bool skip_marks(int& i, int& line_counter) {
  const char* t = tok(i);
  if (is_comment_open(t)) {
    int r = skip_comment(i, line_counter);
    if (r < 0)
      return false;
    i = r + 1;
  } else if (is_line_comment(t)) {
    // A `//` comment ends a #define's line, so the define.
    if (g_scan.in_define) {
      g_scan.define_ended = true;
      return false;
    }
    if (skip_line_comment(i, line_counter) < 0)
      return false;
    if (pass_directives(line_counter) < 0)
      return false;
    i = 0;
  } else {
    int r = skip_quote(i, line_counter, t[0]);
    if (r < 0)
      return false;
    i = r + 1;
  }
  return true;
}

// The entries whose '(' is open. It keeps its room from one group to the
// next, so the analysis of a call allocates nothing once groups this deep
// have been met.
class entry_stack {
 public:
  entry_stack() { at_.clear(); }
  bool empty() const { return at_.empty(); }
  int back() const { return at_.back(); }
  void pop_back() { at_.pop_back(); }
  void push_back(int e) { at_.push_back(e); }

 private:
  static inline std::vector<int> at_;
};

// Makes entry `num` of Fun, named `name`.
int make_entry(std::string_view name) {
  int n = g_tab.Fun.num++;
  new_fun_entry(n, name);
  return n;
}

// Makes entry `num` of Fun named `name`, for pass 2, which reads only the
// names of the entries.
int name_entry(std::string_view name) {
  int n = g_tab.Fun.num++;
  set_fun_name(n, name);
  return n;
}

// Pass 2 at a name `t` in a group that is no call: a function-name
// variable passed along is a call of what it holds. A declared function
// is called at once; every other name goes to `entry` (the name, and
// whether it was assigned to the variable). False when `t` is none.
template <class Entry>
bool pass_variable_along(const char* t, Entry entry) {
  pfun_info* v = ser_pfun(t);
  if (!v)
    return false;
  if (v->kind == kDeclaredFun) {
    const opt_text& own = g_tab.Fun.name[0];
    add_call(own ? own->c_str() : nullptr, v->name.c_str(), true);
  } else if (v->kind == kPointerParam || v->fun_cnt == 0) {
    entry(std::string_view(v->name.c_str()), false);
  } else {
    for (int m = v->fun_done; m < v->fun_cnt; ++m)
      entry(std::string_view(v->funs[m]), true);
  }
  return true;
}

// The same inside a body, where only the entries' names count.
void passed_variable(const char* t) {
  pass_variable_along(t, [](std::string_view name, bool) { name_entry(name); });
}

// Pass 1 passing over token `i` of a group in a macro's replacement: pass 2
// reads it as a group's word, a name before '(' as an entry and a bare
// name as a variable that may be passed along.
void note_group_word(int i) {
  const char* t = tok(i);
  if (t[0] == '(' && i > 0 && check_sep(tok(i - 1)) == nullptr)
    g_self.note_word(tok(i - 1), kSelfEntry);
  else if (is_letter(t[0]) && tok(i + 1)[0] != '(')
    g_self.note_word(t, kSelfPlainGroup);
}

// Stores a function-name variable, unless its table is full.
pfun_info* store_pfun(bool global, const std::string& name, pfun_kind kind) {
  return add_pfun(global, name, kind);
}

}  // namespace

int ana_param(int start, int& line_counter) {
  int p = 0;
  int i = start + 1;
  for (;;) {
    if (!reach_token(i, line_counter))
      return -1;
    const char* t = tok(i);
    if (is_comment_open(t) || is_line_comment(t) || is_quote(t)) {
      if (!skip_marks(i, line_counter))
        return -1;
      continue;
    }
    if (g_self.name != nullptr)
      note_group_word(i);
    if (t[0] == '(') {
      ++p;
    } else if (t[0] == ')') {
      if (p == 0)
        return i;
      --p;
    } else if (t[0] == ',' && p == 0) {
      return i;
    }
    ++i;
  }
}

namespace {

// The walk of ana_args over one group: the entries whose '(' is open, the
// parentheses that opened none, and the entry and argument being filled.
struct group_walk {
  fun_group& f = g_tab.Fun;
  entry_stack open;  // entries whose '(' is open, innermost last
  int other = 0;     // open parentheses that opened no entry
  int e = 0;
  int k = 0;

  // Both passes see every token the form depends on: pass 1 skips a
  // parameter's tokens after its type word, but a type word settles it.
  void mark(group_form v) {
    if (v > f.form)
      f.form = v;
  }
  // A ')': true when it closes the group.
  bool close_paren() {
    if (other > 0) {
      --other;
      // The group's own '(' may have opened no entry (a name the checks
      // call a separator); its ')' still ends the group.
      return other == 0 && open.empty();
    }
    if (!open.empty())
      open.pop_back();
    if (open.empty())
      return true;
    e = open.back();
    k = f.arg_cnt[e];
    return false;
  }
  // The '(' at token `i`: an entry for the name before it, if any.
  void open_paren(int i) {
    if (!open.empty() || other > 0)
      mark(kOtherArgs);
    if (i > 0 && check_sep(tok(i - 1)) == nullptr) {
      // Pass 1 in a macro's replacement: pass 2 may record a call of it.
      if (g_self.name != nullptr) g_self.note_word(tok(i - 1), kSelfEntry);
      e = make_entry(tok(i - 1));
      open.push_back(e);
      k = 0;
    } else {
      ++other;
    }
  }
  // A ',' starts the entry's next argument.
  void next_arg() {
    k = f.arg_cnt[e];
    f.arg_cnt[e] = k + 1;
    f.arg[e][k] = std::string();
  }
  // Pass 2 at a name `t` that is no call: a function-name variable passed
  // along is a call of what it holds. True when `t` was one.
  bool pointer_arg(const char* t) {
    return pass_variable_along(t, [this](std::string_view name, bool assigned) {
      int n = make_entry(name);
      if (assigned)
        f.arg_type[n][0] = std::string("int");
    });
  }
  // A bare name `t` in the group: true when pass 2 took it for a variable
  // passed along. In a body that only makes calls, while a header's group
  // is told by what it holds. Pass 1 notes a macro's own name, which pass 2
  // may find a variable.
  bool bare_name(scan_pass pass, int depth, const char* t) {
    if (pass == kFirstPass) {
      g_self.note_word(t, kSelfPlainGroup);
      return false;
    }
    return (depth == 0 || calls_matter()) && pointer_arg(t);
  }
  // Pass 1 keeps an argument's text: token `t` joins the current one.
  void add_text(const char* t) {
    if (!f.arg[e][k]) {
      std::printf(kMsgFailToAnalize, g_scan.line_buf);
      next_arg();
    }
    std::string& text = *f.arg[e][k];
    if (text.empty()) {
      text = t;
    } else {
      if (std::strcmp(t, "*") != 0)
        text += ' ';
      text += t;
    }
  }
  // Pass 1 at the type word at token `i`: the parameter it starts is
  // passed over. The index after it, -1 at end of file.
  int typed_param(int i, int& line_counter) {
    if (g_self.name != nullptr)
      note_group_word(i);  // the type word, which pass 2 reads as any other
    int r = ana_param(i, line_counter);
    if (r < 0)
      return -1;
    if (r == i + 1) {
      // A type word alone, as in (void) or (int, char), declares nothing.
      if (f.arg_cnt[e] > 0)
        --f.arg_cnt[e];
      if (k > 0)
        --k;
    }
    return r;
  }
};

// ana_args in pass 2 inside a body, where only the entries' names count:
// the argument texts are pass 1's, and the group's form decides only a
// header, which stands at depth 0. The walk over the tokens is the same.
int ana_body_args(int start, int& line_counter, int& header_line) {
  fun_group& f = g_tab.Fun;
  entry_stack open;  // entries whose '(' is open, innermost last
  int other = 0;     // open parentheses that opened no entry
  f.num = 0;
  f.form = kPlainNames;
  header_line = line_counter;
  int i = start + 1;
  for (;;) {
    if (!reach_token(i, line_counter))
      return -1;
    const char* t = tok(i);
    const char c = t[0];
    if (c == ')') {
      if (other > 0) {
        if (--other == 0 && open.empty())
          return i;
      } else {
        if (!open.empty())
          open.pop_back();
        if (open.empty())
          return i;
      }
    } else if (c == '(') {
      if (i > 0 && check_sep(tok(i - 1)) == nullptr)
        open.push_back(name_entry(tok(i - 1)));
      else
        ++other;
    } else if (c == '/' && (t[1] == '*' || t[1] == '/')) {
      if (!skip_marks(i, line_counter))
        return -1;
      continue;
    } else if (c == '"' || c == '\'') {
      const int r = skip_quote(i, line_counter, c);
      if (r < 0)
        return -1;
      i = r;
    } else if (is_letter(c) && tok(i + 1)[0] != '(') {
      passed_variable(t);
    }
    ++i;
  }
}

}  // namespace

int ana_args(scan_pass pass, int depth, int start, int& line_counter, int& header_line, arg_mode mode) {
  if (pass == kSecondPass && depth > 0)
    return ana_body_args(start, line_counter, header_line);
  group_walk g;
  fun_group& f = g.f;
  f.num = 0;
  header_line = line_counter;
  f.arg[0][0] = std::string();
  const bool keep_text = pass == kFirstPass && (mode == kMacroParams || depth == 0);
  f.form = kPlainNames;
  int i = start + 1;
  for (;;) {
    if (!reach_token(i, line_counter))
      return -1;
    const char* t = tok(i);
    const char c = t[0];
    if (is_comment_open(t) || is_line_comment(t)) {
      if (!skip_marks(i, line_counter))
        return -1;
      continue;
    }
    if (c == ')') {
      if (g.close_paren())
        return i;
      ++i;
      continue;
    }
    if (c == '(') {
      g.open_paren(i);
      ++i;
      continue;
    }
    if (c == ',') {
      g.next_arg();
      ++i;
      continue;
    }
    if (is_letter(c) && tok(i + 1)[0] != '(' && g.bare_name(pass, depth, t)) {
      ++i;
      continue;
    }

    // Any other token belongs to the current argument. The group's form
    // only ever decides a header, which stands at depth 0.
    if (depth > 0) {
    } else if (check_type(t)) {
      g.mark(kTypedParams);
    } else if (!is_letter(c) && c != '_') {
      g.mark(kOtherArgs);
    }
    if (f.arg_cnt[g.e] == 0)
      f.arg_cnt[g.e] = 1;
    if (is_quote(t)) {
      int r = skip_quote(i, line_counter, c);
      if (r < 0)
        return -1;
      if (pass == kFirstPass && depth == 0) {
        f.arg[g.e][g.k] = std::string(c == '"' ? g_scan.qstr_buf : g_scan.qchr_buf);
      }
      i = r + 1;
      continue;
    }
    if (!keep_text) {
      ++i;
      continue;
    }
    f.arg_type[g.e][g.k] = std::string();
    if (check_type(t)) {
      i = g.typed_param(i, line_counter);
      if (i < 0)
        return -1;
      continue;
    }
    g.add_text(t);
    ++i;
  }
}

namespace {

// What follows the group closed at token `r`, the ')' that decides what the
// group was; `r` is moved to where the statement goes on.
const char* group_follower(int& r) {
  const char* follower = tok(r + 1);
  if (is_comment_open(follower)) {
    follower = ";";  // an unclosed comment hides the rest of the line
    for (int j = r + 2; j < g_scan.token_no; ++j) {
      if (is_comment_close(tok(j))) {
        follower = tok(j + 1);
        break;
      }
    }
  }
  if (follower[0] != ')')
    return follower;
  // `void (*name(int a))(void)`: a function returning a pointer to a
  // function. The closing parentheses and the returned function's own
  // parameter list stand between the group and what decides.
  int j = r + 1;
  while (j < g_scan.token_no && tok(j)[0] == ')')
    ++j;
  if (j < g_scan.token_no && tok(j)[0] == '(') {
    int open = 0;
    for (; j < g_scan.token_no; ++j) {
      if (tok(j)[0] == '(') ++open;
      if (tok(j)[0] == ')' && --open == 0) break;
    }
    ++j;
  }
  r = j - 1;  // the statement goes on after the returned function's parameters
  return j < g_scan.token_no ? tok(j) : tok(g_scan.token_no);
}

// The walk of ana_decl over one statement.
struct decl_walk {
  scan_pass pass;
  int depth;
  int header_flag;
  int start;
  int& line_counter;
  int& header_line;
  const char* caller;
  bool is_typedef;
  int b = 0;          // brace depth inside the statement
  bool init = false;  // an '=' at brace depth 0 since the last ','
  // The function-initialiser rule: the declarators met inside braces, the
  // last variable record this statement stored, the declarator count when
  // it was stored, and whether an '=' has been met inside the current braces.
  int32_t data = 0;
  pfun_info* last = nullptr;
  int32_t last_data = 0;
  bool brace_eq = false;

  // A brace, or a ',' or '=' (at any brace depth): true when `c` was one.
  bool punctuation(char c) {
    if (b == 0 && (c == '=' || c == ',')) {
      init = c == '=';
    } else if (c == '{') {
      ++b;
    } else if (c == '}') {
      if (--b == 0)
        brace_eq = false;
    } else if (b > 0 && (c == ',' || c == '=')) {
      if (c == '=') {
        brace_eq = true;
      } else if (!brace_eq) {
        ++data;
      }
    } else {
      return false;
    }
    return true;
  }
  // Whether the '(' at token `i` opens a declarator's group. `pointer_form`
  // is `first ( * name ) (`: the declarator names a pointer to a function.
  bool opens_group(int i, bool& pointer_form) const {
    pointer_form = i == start + 1 && i + 4 < g_scan.token_no &&
                   std::strcmp(tok(i + 1), "*") == 0 && tok(i + 3)[0] == ')' &&
                   tok(i + 4)[0] == '(';
    // A type word names no function: in `void (CDECL *hook)(int);` the '('
    // after `void` only groups the declarator.
    return i > 0 && !check_keyword(tok(i - 1)) && check_sep(tok(i - 1)) == nullptr &&
           (pointer_form || !check_type(tok(i - 1)));
  }
  // The declarator whose group opens at token `i`; `i` is left after it.
  // The statement's end when the group is a header ({r, true}), -1 at end
  // of file, or 0 when the statement goes on.
  decl_end declarator(int& i, bool pointer_form);
  // Pass 2 in braces after '=': the name `t` of a function-name variable
  // initialises the variable this statement stored.
  void initialiser(const char* t) {
    if (last->funs.empty()) {
      last->funs.emplace_back(t);
    } else {
      last->funs[0] = t;
    }
    // Only funs[0] is written, so only one name can be counted.
    if (last->fun_cnt == 0)
      last->fun_cnt = 1;
    last->init = 1;
  }
};

decl_end decl_walk::declarator(int& i, bool pointer_form) {
  last = nullptr;
  if (pointer_form) {
    g_scan.token[i + 3] = g_scan.token[i + 2];
    i += 4;
  }
  // The analysis below may read on into later lines, which replace the
  // tokens; only pass 2 stores the name, so only it keeps a copy.
  std::string declared;
  if (pass == kSecondPass || (depth == 0 && pointer_form))
    declared = tok(i - 1);
  // `int __attribute__((cold)) f(int)`: the attribute's group is no
  // declarator, and the statement goes on to the one after it. Where a
  // header stands already, the group follows that header's ')' and the
  // pass is left to meet the body's '{' as before.
  const bool attribute = !pointer_form && header_flag == 0 && check_attribute(tok(i - 1));
  int r = ana_args(pass, depth, i - 1, line_counter, header_line, kCallArgs);
  if (r < 0)
    return {-1, false};
  if (attribute) {
    i = r + 1;
    return {0, false};
  }
  const char* follower = group_follower(r);
  if (pass == kSecondPass && depth > 0 && init && caller != nullptr && *caller != 0 &&
      calls_matter())
    add_group_calls(caller);
  const char fc = follower[0];
  // What pass 2 will hold as a variable that calls what is assigned to it.
  if (pass == kFirstPass && depth == 0 && pointer_form && !is_typedef &&
      (fc == ',' || fc == ';' || fc == '='))
    g_self.pointers.add(declared);
  if (fc == ',' || fc == ';' || fc == '=') {
    // A typedef declares a type, not a variable.
    if (pass == kSecondPass && !is_typedef) {
      bool global = depth == 0 && header_flag == 0;
      pfun_kind kind = !pointer_form                ? kDeclaredFun
                       : !global && depth == 0 ? kPointerParam
                                               : kPointerVar;
      if (pfun_info* rec = store_pfun(global, declared, kind)) {
        last = rec;
        last_data = data;
      }
    }
  } else if (b == 0 && !is_typedef) {
    // Only a group at the statement's own level can be a header: inside
    // braces it is an initialiser or a member.
    return {r, true};
  }
  i = r + 1;
  return {0, false};
}

}  // namespace

decl_end ana_decl(scan_pass pass, int depth, int header_flag, int start, int& line_counter,
                  int& header_line, const char* caller) {
  decl_walk w{pass, depth, header_flag, start, line_counter, header_line, caller,
              std::strcmp(tok(start), "typedef") == 0};
  int i = start + 1;
  for (;;) {
    if (!reach_declarator_token(i, line_counter))
      return {-1, false};
    const char* t = tok(i);
    const char c = t[0];
    if (is_comment_open(t) || is_line_comment(t) || is_quote(t)) {
      if (!skip_marks(i, line_counter))
        return {-1, false};
      continue;
    }
    if (c == ';' && w.b == 0) {
      if (pass == kFirstPass && w.is_typedef && i > 0 && check_sep(tok(i - 1)) == nullptr) {
        add_typedef_name(tok(i - 1));
      }
      return {i, false};
    }
    // A declaration closes no brace it did not open. A type word inside a
    // compound literal (`(struct m){ .buf = (__force u8 *)p, }`, the type
    // declared in a later file, so only the second pass knows it) starts a
    // statement whose ';' stands after the literal's '}': read on, it
    // would take that '}' and every brace after it from the body.
    if (c == '}' && w.b == 0)
      return {i, false, true};
    // `T fp = M;`: pass 2 may read the statement as code and assign M.
    if (pass == kFirstPass && depth == 0 && c == '=' && w.b == 0)
      note_assigned(i);
    if (w.punctuation(c)) {
      ++i;
      continue;
    }
    bool pointer_form = false;
    if (c == '(' && w.opens_group(i, pointer_form)) {
      decl_end r = w.declarator(i, pointer_form);
      if (r.at != 0 || r.header)
        return r;
      continue;
    }
    if (w.brace_eq && w.last != nullptr && w.data == w.last_data && ser_pfun(t) != nullptr)
      w.initialiser(t);
    else if (pass == kFirstPass && depth == 0 && w.brace_eq && (is_letter(c) || c == '_'))
      g_self.assigned.add(t);  // pass 2 may store it in a variable
    ++i;
  }
}

}  // namespace kavel
