// Lines of a body that a pass may pass over without cutting them into
// tokens: the walk over their tokens would change nothing the pass keeps.
#ifndef KAVEL_SCANNER_QUIET_LINES_H_
#define KAVEL_SCANNER_QUIET_LINES_H_

#include "scanner/tokenizer.h"

namespace kavel {

// Whether `pass`, at the start of `line` (as read, ending in its line feed;
// a byte is lent for a terminator while a word is checked, and given back)
// inside a body, may pass over it. The answer errs towards no.
bool quiet_in_body(char* line, scan_pass pass);

}  // namespace kavel

#endif  // KAVEL_SCANNER_QUIET_LINES_H_
