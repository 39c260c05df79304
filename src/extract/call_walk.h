// The walk through the call relations that every output shares: which
// function an entry of the -l list names, and from it, depth first, which
// functions are met below it (callees) or above it (callers), which of them
// are entered, which were entered before, which are excluded, defined
// nowhere or defined in several files. The walk decides all of that; an
// output (the function texts, a tree of names, a graph) is told what was met
// and only writes it down, so every output follows the same rules.
#ifndef KAVEL_EXTRACT_CALL_WALK_H_
#define KAVEL_EXTRACT_CALL_WALK_H_

#include <string>
#include <vector>

#include "tables/fun_table.h"

namespace kavel {

// What an entry of the list named.
struct entry_result {
  enum kind_t { found, not_found, multiple, not_in_file, unfinished };
  kind_t kind = not_found;
  fun_info* fun = nullptr;  // the record; for `multiple` the first of the name
  // For an entry that names no function (what its messages show): the entry
  // as written, without '@' or '^', and the file of one written
  // "file#name", else empty.
  std::string written;
  std::string file_part;
};

// Resolves `name` (pattern form, optionally "file#" or "file:line#" before
// it): one found result per record it names, in file order, or one result
// saying why it names none. Definitions of a name that all lie in one file
// are alternatives and all named; "file#name" names those of that file;
// "file:line#name" the one whose header is on that line.
std::vector<entry_result> resolve_entry(const char* name);

// Where a walk goes from the entry's function.
enum class walk_dir { none, below, above };

// Receives what a walk meets, in walk order. `by` is the function the walk
// stands on: below, the caller of `f`; above, the function `f` calls.
class walk_output {
 public:
  virtual ~walk_output() = default;
  // An entry of the list. True when the walk is to go on from the function
  // (a found entry only).
  virtual bool entry(const entry_result& r, walk_dir dir) = 0;
  // `f` is met for the first time and entered: what it meets follows, up to
  // the matching leave().
  virtual void reach(fun_info& f, fun_info& by) = 0;
  // The same for a function excluded with -r: walked through, not printed.
  virtual void excluded(fun_info& f, fun_info& by) = 0;
  virtual void leave() = 0;
  // `f` was met before: not entered again.
  virtual void again(fun_info& f, fun_info& by) = 0;
  // A called name that no scanned file defines.
  virtual void not_found(const std::string& name, fun_info& by) = 0;
  // A called name defined in several files, none of them the caller's: it
  // cannot be told which one is meant, so none is entered. `f` is the
  // name's first record.
  virtual void multiple(fun_info& f, fun_info& by) = 0;
  // The entry and everything met from it have been told.
  virtual void end_entry() {}
};

// Record number `no`, or null when there is none.
fun_info* fun_record(int no);

// Handles one -l/-L entry: "@name" walks below the function, "^name" above
// it, a plain name is the function alone; each record the entry names is an
// entry of its own for `out`. `entry` is in pattern form. Returns the
// number of the first record `out` took, -1 when it took none.
int walk_entry(const std::string& entry, walk_output& out);
// Walks below every function that no other calls, in table order.
void walk_forest(walk_output& out);

// Forgets the walk's positions among the callers (callees keep theirs in
// the records).
void reset_walk();

}  // namespace kavel

#endif  // KAVEL_EXTRACT_CALL_WALK_H_
