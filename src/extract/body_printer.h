// Prints the text of requested functions: the comment block above each, the
// lines from its header to its closing brace, and with '@' everything below
// it in the call tree, each function once. Offsets are exact byte positions,
// so LF and CR LF files print the same text.
#ifndef KAVEL_EXTRACT_BODY_PRINTER_H_
#define KAVEL_EXTRACT_BODY_PRINTER_H_

#include <string>

#include "scanner/line_reader.h"

namespace kavel {

struct print_state {
  line_reader text_fp;    // the file copied from; kept open between functions of one file
  std::string text_file;  // its name; empty when none is current
};
extern print_state g_print;
void reset_printer();

// Prints the function `name` (pattern form, optionally "file#" before it).
// `caller` is the number through which the walk reached it, or -1. Returns
// its number (also when it was printed before and nothing is printed now),
// -1 when nothing could be printed.
int print_fun(int caller, const char* name);
// Prints `name` (pattern form, no '@') and, depth first, everything below
// it. Returns what print_fun returned for `name` itself.
int print_fun_below(const char* name);
// Prints the comment block that ends last before head_pos, looking back no
// further than top_pos.
void print_lead_comment(line_reader& file, long long head_pos, long long top_pos);

}  // namespace kavel

#endif  // KAVEL_EXTRACT_BODY_PRINTER_H_
