// Flags and name lists of the command line. Only the driver writes them;
// they live here so every reader can include them without reaching up.
#ifndef KAVEL_SUPPORT_OPTIONS_H_
#define KAVEL_SUPPORT_OPTIONS_H_

#include <string>
#include <vector>

namespace kavel {

// A name table: entries in the order read. Readers stop at the first empty
// entry, which is how an empty list item ("a,,b") ends a list early.
using name_table = std::vector<std::string>;

struct option_state {
  int euc_flag = 0;     // -EUC: multi-byte text in comments and literals is EUC
  int file_flag = 0;    // f: "/* File: */" before a function from another file
  int lead_flag = 0;    // g: a function's text starts right after the previous one
  int line_flag = 0;    // i: listing lines carry file and line
  int caller_flag = 0;  // u: "/* Called by: */" before a function the walk reached
  int tree_flag = 0;    // t: call trees instead of texts or the listing
  int dot_flag = 0;     // d: the trees as a DOT graph (implies t)
  name_table fun_list;  // -l, -L: functions to print
  name_table ign_list;  // -r, -R: names to exclude ('!' re-admits)
  name_table file_list; // -m, -M: files preferred for a name defined twice
  std::vector<std::string> inc_dir;  // -I directories, in command-line order
};

extern option_state g_opt;
inline void reset_options() { g_opt = option_state{}; }

}  // namespace kavel

#endif  // KAVEL_SUPPORT_OPTIONS_H_
