// Takes declarations, function headers and argument lists apart, reading on
// across as many lines as the construct needs. The results go to the
// scratch group Fun and, in pass 2, to the function-name variable tables.
#ifndef KAVEL_SCANNER_DECL_ANALYSIS_H_
#define KAVEL_SCANNER_DECL_ANALYSIS_H_

#include <cstdint>

namespace kavel {

// Added by ana_decl to the returned index when it found a function header.
constexpr int kHeaderBit = 0x8000;

// Declarator counter of the function-initialiser rule.
extern int32_t Data;

// Analyses `name ( ... )` from the name at `start`. Index of the closing ')'
// in the table current on return, -1 at end of file. `header_line` gets the
// line number current at the start. param_mode 1 for a #define's parameters.
int ana_args(int pass, int depth, int start, int& line_counter, int& header_line,
             int param_mode);
// Analyses the statement starting at `start`: index of its ';', or of the
// ')' closing a header's parameters plus kHeaderBit, -1 at end of file.
int ana_decl(int pass, int depth, int header_flag, int start, int& line_counter,
             int& header_line, int reg_result, const char* caller);
// Skips one typed parameter declaration from its type word at `start`: the
// index of the ',' or ')' that ends it, -1 at end of file.
int ana_param(int entry, int slot, int start, int& line_counter, int unused);

}  // namespace kavel

#endif  // KAVEL_SCANNER_DECL_ANALYSIS_H_
