// Name lists from the command line: a comma-separated option argument, or a
// list file (which may be a function tree with bracketed numbers).
#ifndef KAVEL_DRIVER_READ_LIST_H_
#define KAVEL_DRIVER_READ_LIST_H_

#include <string>

#include "support/options.h"

namespace kavel {

// How a list option gives its names: as its argument, or in the file it names.
enum list_form { kListText = 0, kListFile = 1 };

// Reads the names of `text` as `form` says. A name
// already among the entries present at entry is not added again. False when
// the list file could not be opened (it is reported).
bool read_list(name_table& table, const char* text, list_form form);
// Reports a file named on the command line that could not be opened, with
// `err` the errno of the attempt: not there, or there and unreadable.
void report_unopened(const char* path, int err);
// 1 when `name` equals none of the first `n` entries of `table`, else 0.
int not_listed(const std::string& name, const name_table& table, int n);

}  // namespace kavel

#endif  // KAVEL_DRIVER_READ_LIST_H_
