// Takes declarations, function headers and argument lists apart, reading on
// across as many lines as the construct needs. The results go to the
// scratch group Fun and, in pass 2, to the function-name variable tables.
#ifndef KAVEL_SCANNER_DECL_ANALYSIS_H_
#define KAVEL_SCANNER_DECL_ANALYSIS_H_

#include "scanner/tokenizer.h"

namespace kavel {

// Where ana_decl's statement ended: the index of its ';', or with `header`
// of the ')' closing a header's parameters; `at` is -1 at end of file. With
// `before_brace` the statement ended before the '}' at `at`, which closes a
// brace opened before the statement and is left to the caller.
struct decl_end {
  int at;
  bool header;
  bool before_brace = false;
};

// What ana_args takes apart: a call's arguments (or a header's parameters),
// or the parameters of a #define, whose texts are always kept.
enum arg_mode { kCallArgs = 0, kMacroParams = 1 };

// Analyses `name ( ... )` from the name at `start`. Index of the closing ')'
// in the table current on return, -1 at end of file. `header_line` gets the
// line number current at the start.
int ana_args(scan_pass pass, int depth, int start, int& line_counter, int& header_line,
             arg_mode mode);
// Analyses the statement starting at `start`.
decl_end ana_decl(scan_pass pass, int depth, int header_flag, int start, int& line_counter,
                  int& header_line, const char* caller);
// Skips one typed parameter declaration from its type word at `start`: the
// index of the ',' or ')' that ends it, -1 at end of file.
int ana_param(int start, int& line_counter);

}  // namespace kavel

#endif  // KAVEL_SCANNER_DECL_ANALYSIS_H_
