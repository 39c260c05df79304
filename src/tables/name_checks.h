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

#include "support/name_map.h"
#include "support/options.h"

namespace kavel {

// A run-time word list (names in the order added)
// with the indexes the checks need: exact lookup, and the set of name
// lengths for the prefix test of check_sep.
class word_table {
 public:
  // Appends `name` unless the table is full; true when added. Duplicates are
  // kept: the lists hold names as given, repeats included.
  bool append(const std::string& name);
  bool contains(const char* token) const;
  // True when some entry is a prefix of `token` (an empty entry is a prefix
  // of everything).
  bool has_prefix_of(const char* token) const;
  // False only when no entry begins with the token's first two bytes (the
  // terminator standing in for a missing second) and no entry is empty:
  // then neither contains nor has_prefix_of can be true. A few
  // instructions, so the checks below turn most tokens away inline.
  bool may_match(const char* token) const {
    unsigned char c = static_cast<unsigned char>(token[0]);
    if (c == 0)
      return true;
    return !starts_.empty() &&
           starts_[(size_t{c} << 8) | static_cast<unsigned char>(token[1])] != 0;
  }
  int size() const { return count_; }
  void clear();

 private:
  // Position of the first entry equal to `key`, -1 when none. `hash` is
  // the key's span_hash.
  int find(std::string_view key) const;
  int find(std::string_view key, uint64_t hash) const;
  // has_prefix_of past the tests on the first two bytes; `longer` tells
  // whether a name of three or more begins with the token's first three.
  bool prefix_search(const char* token, bool longer) const;

  // Only how many names came: each distinct one is kept once, in the index.
  int count_ = 0;
  // Position + 1 of the first of equal names: the one a search meets.
  mutable name_map<int> index_;
  std::vector<size_t> lengths_;  // distinct lengths of the names, ascending
  // One entry for each two first bytes of a token (the terminator standing
  // in for a missing second), telling which names may match it: most
  // tokens, separators and nearly every word, are turned away on one load
  // before any hashing.
  enum : uint8_t {
    kPairBegins = 1,  // a name begins with these two bytes (or is the first alone)
    kSingle = 2,      // a one-byte name equals the first byte
    kEmpty = 4,       // an empty name, a prefix of everything
  };
  // Made with the first name: most tables stay empty in a small run, and
  // three of 64 KB each were a good part of starting up.
  std::vector<uint8_t> starts_;
  // Filters for the prefix test, both hashed into kFilterBits bits: the
  // first three bytes of every name of three or more, and the hash of every
  // whole name. A token none of whose three-byte start is marked has no
  // longer name as prefix; a prefix whose bit is clear needs no probe.
  // A third marks every beginning of every name, so the prefix test stops
  // where the token leaves all names.
  std::vector<uint64_t> triples_;
  std::vector<uint64_t> whole_;
  std::vector<uint64_t> begins_;  // the hash of every beginning of every name
  // The span_hash of every whole name, which the exact lookup and the index
  // use: it reads a long token eight bytes at a time. The others are
  // name_hash, which the prefix test extends a byte at a time.
  std::vector<uint64_t> exact_;
  bool has_empty_ = false;  // an empty name is a prefix of every token
  // The last token that reached prefix_search and its answer, valid until
  // the next name is added.
  mutable char memo_[48] = {};
  mutable bool memo_set_ = false;
  mutable bool memo_answer_ = false;
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

// The checks below run for nearly every token; each answers the common
// case (an identifier that is none of the words asked about) inline and
// leaves the rest to the full search after it.
namespace check_detail {
// One bit per byte that some built-in word of the table begins with.
struct first_bytes {
  bool at[256] = {};
  constexpr explicit first_bytes(const char* firsts) {
    for (; *firsts != 0; ++firsts)
      at[static_cast<unsigned char>(*firsts)] = true;
  }
  constexpr bool has(unsigned char c) const { return at[c]; }
};
constexpr first_bytes kTypeFirst("rlicsufdvt");
constexpr first_bytes kKeywordFirst("iesfwdrcu");
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
  if (!check_detail::kKeywordFirst.has(static_cast<unsigned char>(token[0])))
    return 0;
  return check_detail::check_keyword_full(token);
}
// 1 for a built-in type word or a recorded typedef name, else 0.
inline int check_type(const char* token) {
  if (!check_detail::kTypeFirst.has(static_cast<unsigned char>(token[0])) &&
      !g_names.typedef_name.may_match(token))
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
// Records a typedef name the way a list-form name-list read would: not added
// when already present; "internal error; functions list table overflow\n"
// when 1024 are present.
void add_typedef_name(const char* name);

}  // namespace kavel

#endif  // KAVEL_TABLES_NAME_CHECKS_H_
