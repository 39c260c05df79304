// One pass over one C source: decides what is a function definition, where
// its text begins and ends, and (pass 2) which functions each body calls.
#ifndef KAVEL_SCANNER_SOURCE_PASS_H_
#define KAVEL_SCANNER_SOURCE_PASS_H_

#include "scanner/tokenizer.h"
#include "tables/name_checks.h"

namespace kavel {

// Scans g_scan.fp (opened by the caller) to its end. pass 1 registers
// definitions, macros and include files; pass 2 records calls. macro_count
// is the mac_name count in pass 1, null in pass 2. 0 when the file was read
// to its end, -1 when a comment, declaration or argument list ran into it.
int scan_source(const char* file_name, int pass, int* macro_count);

// The parts of the token walk that function bodies and macro replacements
// share.

// True when token `i` is a type word that starts a declaration: no cast's
// or pointer's type (after '(' or '*') and no second word of one type. Asked
// for every token, so it stays inline.
inline bool starts_declaration(int i) {
  const char* const* tok = g_scan.token;
  return check_type(tok[i]) &&
         (i == 0 || (tok[i - 1][0] != '(' && tok[i - 1][0] != '*' && !check_type(tok[i - 1])));
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
int call_rule(int pass, int depth, call_form form, int& i, int& line_counter, int& header_line);
// Pass 2 at token `i`, an '=' that is no '==': records the name assigned to a
// function-name variable.
void assign_rule(int i);

}  // namespace kavel

#endif  // KAVEL_SCANNER_SOURCE_PASS_H_
