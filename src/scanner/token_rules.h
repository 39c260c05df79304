// The rules of the token walk that function bodies and macro replacements
// share: where a declaration starts, how a '(' starts a call, and what pass
// 2 records for a call or an assignment to a function-name variable.
#ifndef KAVEL_SCANNER_TOKEN_RULES_H_
#define KAVEL_SCANNER_TOKEN_RULES_H_

#include "scanner/tokenizer.h"
#include "tables/name_checks.h"

#include <cctype>
#include <cstring>

namespace kavel {

// True when token `t` is exactly `word`.
inline bool is_word(const char* t, const char* word) {
  return std::strcmp(t, word) == 0;
}

// Whether token `t`, after a type word, is an operator or punctuation
// that no type word beginning a declaration can take (a declarator is a
// name, '*' or '('; `struct` and `union` may take '{'), so the word is a
// value or a cast's type: `word++) {` in a for header, `config->x`,
// `word = 0;`, a label `out:`, `(volatile u8)x`.
inline bool only_follows_values(const char* t) {
  return t[0] != 0 && t[1] == 0 && std::strchr("=[].-+&|<>!?:,;)%^/", t[0]) != nullptr;
}
// Whether token `t`, before a type word, only ever precedes a value: an
// operator, '[', ',' or `return`. A declaration begins a statement,
// after ';', a brace, a label's ':' or a ')' (an if's condition, an
// attribute), so `&& word) {` and `= word * 2` start none.
inline bool only_precedes_values(const char* t) {
  if (t[0] != 0 && t[1] == 0) return std::strchr("=!&|<>+-/%^~?[,", t[0]) != nullptr;
  return is_word(t, "return");
}
// Whether the words before the type word at `i` follow a '(' on its line:
// the type of a cast or of sizeof with a qualifier first, as in
// `(__force u8 *)f(x)` or `(const struct s *)p`.
inline bool qualified_cast_type(int i) {
  const char* const* tok = g_scan.token;
  int j = i - 1;
  while (j >= 0 && (std::isalpha(static_cast<unsigned char>(tok[j][0])) || tok[j][0] == '_') &&
         !check_keyword(tok[j]))
    --j;
  return j >= 0 && j < i - 1 && is_word(tok[j], "(");
}

// True when token `i` is a type word that starts a declaration: no cast's
// or pointer's type (after '(' or '*', or after qualifiers that follow a
// '('), no second word of one type, no member after '.' or "->" (`.buf =
// x` in a compound literal names a member even where some file declares a
// type `buf`, and read as a declaration its statement would run on past
// the literal's '}'), and no value within an expression. A name any file
// declares a type is often a value elsewhere, and the declaration it
// started would run to the next ';' and take the calls and blocks on its
// way. Asked for every token, so it stays inline.
inline bool starts_declaration(int i) {
  const char* const* tok = g_scan.token;
  if (!check_type(tok[i])) return false;
  if (only_follows_values(tok[i + 1])) return false;
  if (i == 0) return true;
  const char before = tok[i - 1][0];
  if (before == '(' || before == '*' || before == '.' || check_type(tok[i - 1])) return false;
  return !only_precedes_values(tok[i - 1]) && !qualified_cast_type(i);
}
// How the '(' at token `i` starts a call: after a name that is neither a
// keyword nor a separator or macro name, or as `( * name ) (`.
enum call_form { kNoCall, kNameCall, kPointerCall };
call_form call_paren(int i);
// Analyses the call whose '(' is token `i` into Fun (for a function-name
// variable, through the names assigned to it). Returns the index of the
// closing ')', -1 at end of file, or kCallSkipped with `i` moved past
// `( * name ) (` when the name is no function-name variable.
constexpr int kCallSkipped = -2;
int call_rule(scan_pass pass, int depth, call_form form, int& i, int& line_counter, int& header_line);
// Pass 2 at token `i`, an '=' that is no '==': records the name assigned to a
// function-name variable.
void assign_rule(int i);
// Pass 1 at the same '=' at file level: notes the name assigned (see
// self_calls.h).
void note_assigned(int i);

// What the token at `i` was to code_rule.
enum code_step {
  kCodeEnd = -1,    // the file ended inside the call
  kCodeOther,       // nothing the rules look at
  kCodeOpenParen,   // a '(' that starts no call
  kCodeTaken,       // an assignment recorded, or `( * name ) (` passed over
  kCodeCall,        // a call analysed into Fun; `i` is left on its ')'
  kCodeMacroName,   // the name of a macro that calls something
};

// code_rule at a '(': the call it starts, if any.
inline code_step paren_rule(scan_pass pass, int depth, int& i, int& line_counter,
                            int& header_line) {
  call_form form = call_paren(i);
  if (form == kNoCall) return kCodeOpenParen;
  int r = call_rule(pass, depth, form, i, line_counter, header_line);
  if (r == kCallSkipped) return kCodeTaken;
  if (r < 0) return kCodeEnd;
  i = r;
  return kCodeCall;
}

// The step that bodies and macro replacements share for token `i` (`t`)
// of code, once comments, literals, directives, declarations and braces
// are taken: the call a '(' starts, the assignment an '=' makes in pass 2,
// or the name of a calling macro when `names_count`. Asked for nearly
// every token, so it stays inline (out of line it cost the pass 1%).
inline code_step code_rule(scan_pass pass, int depth, const char* t, int& i, int& line_counter,
                           int& header_line, bool names_count) {
  const unsigned char c = static_cast<unsigned char>(t[0]);
  if (c == '(') return paren_rule(pass, depth, i, line_counter, header_line);
  if (pass == kSecondPass && c == '=' && g_scan.token[i + 1][0] != '=') {
    assign_rule(i);
    return kCodeTaken;
  }
  // What pass 2 assigns at file level stays assigned until a body ends.
  if (pass == kFirstPass && depth == 0 && c == '=' && g_scan.token[i + 1][0] != '=')
    note_assigned(i);
  if (names_count && c >= 'A' && c < 0x80 && check_maccall(t)) return kCodeMacroName;
  return kCodeOther;
}

}  // namespace kavel

#endif  // KAVEL_SCANNER_TOKEN_RULES_H_
