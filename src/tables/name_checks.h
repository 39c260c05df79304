// The small questions the scanner asks about every token: does it begin
// with a separator or a recorded macro name, is it a control keyword, a type
// word, a macro whose body calls something; and is a file one of those
// chosen with -m/-M. Each answer is the one an in-order search of the word
// lists gives; the indexes beside the run-time lists only make it cheap.
#ifndef KAVEL_TABLES_NAME_CHECKS_H_
#define KAVEL_TABLES_NAME_CHECKS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/options.h"

namespace kavel {

// A run-time word list (at most kNameTableMax names, in the order added)
// with the indexes the checks need: exact lookup, and the set of name
// lengths for the prefix test of check_sep.
class word_table {
 public:
  // Appends `name` unless the table is full; true when added. Duplicates are
  // kept, as the design's tables keep them.
  bool append(const std::string& name);
  bool contains(const char* token) const;
  // True when some entry is a prefix of `token` (an empty entry is a prefix
  // of everything).
  bool has_prefix_of(const char* token) const;
  int size() const { return static_cast<int>(names_.size()); }
  const std::string& operator[](int i) const { return names_[i]; }
  void clear();

 private:
  // Position of the first entry equal to `key`, -1 when none.
  int find(std::string_view key) const;

  int find(std::string_view key, uint64_t hash) const;

  std::vector<std::string> names_;
  // Open-addressed index over names_: slot holds position + 1, 0 is free.
  // Only the first of equal names is indexed; it is the one a search meets.
  std::vector<int> slots_;
  std::vector<size_t> lengths_;  // distinct lengths of the names, ascending
  // One bit for the first two bytes of each name (the terminator standing
  // in for a missing second): most tokens, separators and nearly every
  // word, are turned away on one bit test before any hashing. Allocated
  // with the first name.
  std::vector<uint64_t> pairs_;
  bool has_empty_ = false;  // an empty name is a prefix of every token
};

struct names_state {
  word_table mac_name;      // macros whose replacement begins with a separator
  word_table mac_call;      // object-like macros whose replacement calls something
  word_table typedef_name;  // names declared by typedef statements (pass 1)
  int mac_cnt = 0;          // count of mac_name as the pass hands it on
};

extern names_state g_names;
void reset_names();

// 0 when `text` begins with `word` (an empty word gives 0), else -1.
int strcmp1(const char* word, const char* text);
// Non-null when the token's first character is a separator, or some
// mac_name entry is a prefix of the token; null otherwise (also for "").
const char* check_sep(const char* token);
// 1 for a control keyword ("if", "sizeof", "undef", ...), else 0.
int check_keyword(const char* token);
// 1 for a built-in type word or a recorded typedef name, else 0.
int check_type(const char* token);
// 1 when the token names an object-like macro that calls something.
int check_maccall(const char* token);
// 1 when no -m/-M list was given or `file` is on it exactly, else 0.
int check_mfile(const char* file);
// Records a typedef name the way a list-form name-list read would: not added
// when already present; "internal error; functions list table overflow\n"
// when 1024 are present.
void add_typedef_name(const char* name);

}  // namespace kavel

#endif  // KAVEL_TABLES_NAME_CHECKS_H_
