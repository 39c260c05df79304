#include "extract/body_printer.h"

namespace kavel {

print_state g_print;
void reset_printer() {
  g_print.text_fp.close();
  g_print.text_file.clear();
}
int print_fun(int, const char*) { return -1; }
void print_fun_below(const char*) {}
void print_lead_comment(line_reader&, long long, long long) {}

}  // namespace kavel
