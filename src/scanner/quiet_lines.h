// Lines of a body that a pass may pass over without cutting them into
// tokens: the walk over their tokens would change nothing the pass keeps.
#ifndef KAVEL_SCANNER_QUIET_LINES_H_
#define KAVEL_SCANNER_QUIET_LINES_H_

#include "scanner/tokenizer.h"

namespace kavel {

// Whether `pass`, at the start of the line read_line read last (g_scan's
// line_buf and line_len) inside a body, may pass over it. The answer errs
// towards no. A byte of the line is lent for a terminator while a word is
// checked, and given back.
bool quiet_in_body(scan_pass pass);

// A literal from its quote at `p`: the byte after its closing quote, or
// null when it does not close on the line or holds a byte from 0x80 on
// (which may take the next byte with it).
const char* closed_literal(const char* p);

}  // namespace kavel

#endif  // KAVEL_SCANNER_QUIET_LINES_H_
