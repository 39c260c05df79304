// Project headers named by #include lines: found in "." (or "/usr/include"
// for <...>), then the -I directories, then (for "...") the including
// file's folder, recorded once each, and followed to a limited depth so
// nested headers are known before the include pass.
#ifndef KAVEL_SCANNER_INCLUDE_FILES_H_
#define KAVEL_SCANNER_INCLUDE_FILES_H_

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "support/options.h"

namespace kavel {

constexpr int kIncludeDepth = 6;  // a name met this deep below a scanned line is not followed
constexpr char dirsep = '/';

struct include_state {
  name_table inc_name;  // names as written between the delimiters
  name_table inc_path;  // the path each was opened under
  int inc_cnt = 0;
  std::unordered_set<std::string> recorded;  // the names of inc_name
  // Headers looked for and not found (the delimiter, then the name), with
  // the last path tried, for the number of -I directories given then.
  std::unordered_map<std::string, std::string> missing;
  size_t missing_dirs = 0;
  std::unordered_set<std::string> missing_beside;  // paths beside an including file, not there
};
extern include_state g_inc;
void reset_includes();

// `text` starts at the opening delimiter of an #include line of the file
// `from`. 0 when recorded, already recorded or too deep; -1 when unclosed
// or not found.
int add_include(const char* text, int depth, const char* from);

}  // namespace kavel

#endif  // KAVEL_SCANNER_INCLUDE_FILES_H_
