// The small questions the scanner asks about every token: does it begin
// with a separator or a recorded macro name, is it a control keyword, a type
// word, a macro whose body calls something; and is a file one of those
// chosen with -m/-M. Each answer is the one an in-order search of the word
// lists gives; the index beside the lists only makes it cheap.
#ifndef KAVEL_TABLES_NAME_CHECKS_H_
#define KAVEL_TABLES_NAME_CHECKS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/name_map.h"
#include "support/options.h"

namespace kavel {

// A run-time word list: the names in the order added, repeats included,
// answering whether a token is one of them or begins with one of them.
class word_table {
 public:
  // Appends `name`; true when added. Duplicates count: the lists hold
  // names as given, repeats included.
  bool append(const std::string& name);
  bool contains(const char* token) const;
  // True when some entry is a prefix of `token` (an empty entry is a prefix
  // of everything).
  bool has_prefix_of(const char* token) const;
  // False only when neither contains nor has_prefix_of can be true: no
  // entry begins as the token does. A few instructions, so the checks
  // below turn most tokens away inline.
  bool may_match(const char* token) const { return token[0] == 0 || starts_.may_hold(token); }
  int size() const { return count_; }
  void clear() { *this = word_table(); }

 private:
  bool prefix_search(const char* token) const;

  int count_ = 0;                // names appended, repeats included
  name_map<char> names_;         // each distinct name once
  name_starts starts_;           // and how they begin
  std::vector<size_t> lengths_;  // distinct lengths of the names, ascending
  bool has_empty_ = false;       // an empty name, a prefix of every token
  // For the prefix test, both hashed into bits, made with the first name:
  // every beginning of every name, and every whole name, under the hash
  // the test extends a byte at a time. The test stops where the token
  // leaves all names, and probes the names only at a length whose bit is set.
  std::vector<uint64_t> begins_;
  std::vector<uint64_t> whole_;
  // The last token that reached prefix_search and its answer, valid until
  // the next name is added: the scan asks twice about the name before most
  // '(', once to see a call, once when the analysis makes the entry.
  mutable char memo_[48] = {};
  mutable bool memo_set_ = false;
  mutable bool memo_answer_ = false;
};

// What a word of names_state::words is; a word may be several.
enum word_kind : uint8_t {
  kKeywordWord = 1,  // a control keyword: "if", "sizeof", "undef", ...
  kTypeWord = 2,     // a built-in type word: "int", "struct", ...
  kTypedefWord = 4,  // a name declared by a typedef statement (pass 1)
};

struct names_state {
  word_table mac_name;  // macros whose replacement begins with a separator
  word_table mac_call;  // object-like macros whose replacement calls something
  // The built-in words and the typedef names: the keyword and type checks
  // ask one lookup.
  name_map<uint8_t> words;
  name_starts type_starts;       // how the type words and typedef names begin
  name_filter<16> type_filter;  // and their first bytes
  int typedef_cnt = 0;      // typedef names recorded
  int mac_cnt = 0;          // count of mac_name as the pass hands it on
  names_state();
};

extern names_state g_names;
void reset_names();

// 0 when `text` begins with `word` (an empty word gives 0), else -1.
int strcmp1(const char* word, const char* text);

// The checks below run for nearly every token; each answers the common
// case (an identifier that is none of the words asked about) inline and
// leaves the rest to the full search after it.
namespace check_detail {
inline constexpr const char* keyword_tab[] = {
    "if",     "else",  "switch", "for",  "while", "do",    "return", "case",
    "sizeof", "ifdef", "ifndef", "else", "endif", "undef", nullptr,
};
inline constexpr const char* type_tab[] = {
    "register", "long",   "int",  "short",   "char",   "signed", "unsigned",
    "float",    "double", "void", "typedef", "struct", "union",  nullptr,
};
inline constexpr name_starts kKeywordStarts(keyword_tab);
// The entry of sep_tab for each byte, null for a byte that is no separator.
extern const char* sep_entry[256];
const char* check_sep_full(const char* token);
int check_keyword_full(const char* token);
int check_type_full(const char* token);
int check_maccall_full(const char* token);
}  // namespace check_detail

// Non-null when the token's first character is a separator, or some
// mac_name entry is a prefix of the token; null otherwise (also for "").
inline const char* check_sep(const char* token) {
  if (const char* entry = check_detail::sep_entry[static_cast<unsigned char>(token[0])])
    return entry;
  if (token[0] == 0 || !g_names.mac_name.may_match(token))
    return nullptr;
  return check_detail::check_sep_full(token);
}
// 1 for a control keyword ("if", "sizeof", "undef", ...), else 0.
inline int check_keyword(const char* token) {
  if (!check_detail::kKeywordStarts.may_hold(token))
    return 0;
  return check_detail::check_keyword_full(token);
}
// 1 for a built-in type word or a recorded typedef name, else 0.
inline int check_type(const char* token) {
  if (!g_names.type_starts.may_hold(token))
    return 0;
  return check_detail::check_type_full(token);
}
// 1 when the token names an object-like macro that calls something.
inline int check_maccall(const char* token) {
  if (!g_names.mac_call.may_match(token))
    return 0;
  return check_detail::check_maccall_full(token);
}
// Whether the token is the compiler's attribute word (`__attribute__`,
// `__attribute`): its group qualifies a declaration and names nothing.
bool check_attribute(const char* token);
// 1 when no -m/-M list was given or `file` is on it exactly, else 0.
int check_mfile(const char* file);
// Records a typedef name; a name recorded already, or empty, is not
// recorded again.
void add_typedef_name(const char* name);

}  // namespace kavel

#endif  // KAVEL_TABLES_NAME_CHECKS_H_
