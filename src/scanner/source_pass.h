// One pass over one C source: decides what is a function definition, where
// its text begins and ends, and (pass 2) which functions each body calls.
#ifndef KAVEL_SCANNER_SOURCE_PASS_H_
#define KAVEL_SCANNER_SOURCE_PASS_H_

#include "scanner/tokenizer.h"

namespace kavel {

// Scans g_scan.fp (opened by the caller) to its end. macro_count is the
// mac_name count in the first pass, null in the second. 0 when the file was read
// to its end, -1 when a comment, declaration or argument list ran into it.
int scan_source(const char* file_name, scan_pass pass, int* macro_count);

// Empties everything a scan fills, from the options up: a fresh run
// (tests, fuzzing) starts from here.
void reset_scanning();

}  // namespace kavel

#endif  // KAVEL_SCANNER_SOURCE_PASS_H_
