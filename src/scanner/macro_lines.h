// #define lines. A macro whose replacement may call something is entered
// as a function of its own (kind 1) and its calls are recorded in pass 2;
// macros that stand for a separator go to mac_name, object-like macros that
// call something to mac_call.
#ifndef KAVEL_SCANNER_MACRO_LINES_H_
#define KAVEL_SCANNER_MACRO_LINES_H_

#include "scanner/tokenizer.h"

namespace kavel {

// `index` is the macro name's token. 0, or -1 when the file ended inside
// continuation lines.
int chk_define(const char* file_name, scan_pass pass, int depth, int index, int& line_counter,
               int* macro_count, long long line_offset);
// Scans the replacement from token `start` over its continuation lines.
int chk_macro_body(const char* file_name, scan_pass pass, int depth, int start, int& line_counter,
                   const char* macro_name, int object_like, long long line_offset);

}  // namespace kavel

#endif  // KAVEL_SCANNER_MACRO_LINES_H_
