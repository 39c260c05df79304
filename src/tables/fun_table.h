// The table of every function and macro the scan found, the call relations
// between them, the names called but never defined, and the variables that
// hold function names. Records are kept in registration order and never
// removed; every lookup answers as a search in that order would, with hash
// indexes beside the tables so that full tables stay fast.
#ifndef KAVEL_TABLES_FUN_TABLE_H_
#define KAVEL_TABLES_FUN_TABLE_H_

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/name_hash.h"

namespace kavel {

constexpr int kFunMax = 3000;     // records; the next definition is refused with a message
constexpr int kLinkSlots = 301;   // callees from slot 0 up, callers from slot 300 down
constexpr int kRelMax = 300;      // callees and callers together, so one -1 always ends the callees
constexpr int kExternBase = 10000;  // function number of ext_fun entry 0
constexpr int kExtMax = 1024;     // external callee names
constexpr int kGroupMax = 30;     // entries of one analysed group; the 31st ends the run
constexpr int kArgMax = 30;       // arguments of one entry; the 31st ends the run
constexpr int kPfunMax = 200;     // records of each function-name variable table
constexpr int kPfunNames = 100;   // names assigned to one variable

// A text slot that may hold nothing at all (null), which is not the same as
// holding the empty string: "fail to analize" depends on the difference.
using opt_text = std::optional<std::string>;

// A record's argument texts: kArgMax slots, where a slot never set reads as
// null. Only the slots up to the last one set take room; 3000 records of
// 30 + 30 empty slots would otherwise be most of the tool's memory.
class arg_slots {
 public:
  opt_text& operator[](int i) {
    if (i >= static_cast<int>(set_.size()))
      set_.resize(static_cast<size_t>(i) + 1);
    return set_[static_cast<size_t>(i)];
  }
  const opt_text& operator[](int i) const {
    static const opt_text unset;
    return i < static_cast<int>(set_.size()) ? set_[static_cast<size_t>(i)] : unset;
  }
  void reserve(int n) { set_.reserve(static_cast<size_t>(n)); }

 private:
  std::vector<opt_text> set_;
};

struct fun_info {
  int no = 0;            // own number: position in Finf
  int16_t kind = 0;      // 0 C function, 1 macro, 2 found calling itself
  int16_t dup = 0;       // 1: the name has more than one record
  int16_t closed = 0;    // 1: pass 2 has passed this definition's closing brace
  int16_t printed = 0;   // 1: printed or passed by the walk
  std::string file;      // source file as the pass was given it
  int line = 0;          // line of the header's '('
  long long top_pos = 0;   // start of the leading region (comment block, or with -g everything)
  long long head_pos = 0;  // start of the header's first line; -1 for a macro
  long long end_pos = 0;   // just past the line with the closing brace
  std::string name;        // empty once displaced by a definition from a preferred file
  std::string first_line;  // line_org at registration, line feed included
  std::string comment;     // always empty
  int16_t arg_cnt = 0;
  arg_slots arg_name;      // kArgMax slots
  arg_slots arg_type;
  int16_t caller_cnt = 0;
  int16_t callee_cnt = 0;
  int16_t callee_next = 0;  // the walk's cursor into the callees
  int16_t link[kLinkSlots]; // all -1 at registration
};

// The latest analysed parenthesised group: entry 0 is the name before the
// parenthesis, further entries nested calls and functions reached through
// variables. Slots an analysis does not set keep what an earlier one left.
// What the arguments of a group's own parentheses hold, in rising
// precedence: only plain names (or nothing), other things (a number, a
// string, an operator, a nested group), or a type word.
enum group_form : int8_t { kPlainNames = 0, kOtherArgs = 1, kTypedParams = 2 };

struct fun_group {
  int num = 0;
  group_form form = kPlainNames;  // of the last group ana_args took apart
  opt_text name[kGroupMax];
  int16_t arg_cnt[kGroupMax] = {};
  opt_text arg[kGroupMax][kArgMax];
  opt_text arg_type[kGroupMax][kArgMax];
};

struct pfun_info {
  std::string name;
  int8_t kind = 0;        // 0 declared function, 1 pointer, 2 pointer parameter (old style)
  int8_t init = 0;        // 1: funs[0] came from the declaration's initialiser
  int16_t fun_cnt = 0;    // names in funs
  int16_t fun_done = 0;   // names already turned into call targets
  std::vector<std::string> funs;  // grows up to kPfunNames; entries past fun_cnt are stale
};

// Where the first variable record of each name sits in one of the Pfun
// tables: open addressing, a slot holds position + 1, 0 is free. It answers
// for the table's first `count` records; a table whose count was changed by
// hand (a reset, a test filling it) is indexed afresh on the next lookup.
struct pfun_index {
  int count = 0;
  std::vector<int16_t> slots;
  // One bit, hashed, for the first two bytes of each indexed non-empty name:
  // most names looked up are no variable and are turned away before hashing.
  uint64_t starts[16] = {};
};

// A map from names to values, hashed with span_hash so that a token can be
// looked up as it stands, without a std::string key and without measuring
// or hashing it twice. Entries are never removed and keep their address.
template <typename V>
class name_map {
 public:
  struct entry {
    std::string name;
    uint64_t hash;
    V value;
  };

  // The value of `name`, made (value-initialised) when absent.
  V& operator[](std::string_view name) { return at(name, span_hash(name)); }
  V& at(std::string_view name, uint64_t hash) {
    if (V* v = find(name, hash))
      return *v;
    if (2 * (entries_.size() + 1) > slots_.size())
      grow();
    entries_.push_back(entry{std::string(name), hash, V()});
    place(static_cast<uint32_t>(entries_.size() - 1), hash);
    return entries_.back().value;
  }
  // Null when `name` (whose span_hash is `hash`) has no entry.
  V* find(std::string_view name, uint64_t hash) {
    entry* e = find_entry(name, hash);
    return e == nullptr ? nullptr : &e->value;
  }
  entry* find_entry(std::string_view name, uint64_t hash) {
    if (slots_.empty())
      return nullptr;
    const size_t mask = slots_.size() - 1;
    const uint32_t tag = static_cast<uint32_t>(hash >> 32);
    for (size_t i = hash_slot(hash, mask);; i = (i + 1) & mask) {
      const slot& s = slots_[i];
      if (s.at == 0)
        return nullptr;
      if (s.tag == tag) {
        entry& e = entries_[s.at - 1];
        if (e.name.size() == name.size() &&
            std::memcmp(e.name.data(), name.data(), name.size()) == 0)
          return &e;
      }
    }
  }
  V* find(std::string_view name) { return find(name, span_hash(name)); }
  size_t size() const { return entries_.size(); }

 private:
  // A slot holds the entry number + 1 (0 free) and the hash's high half,
  // which turns nearly every other name away without reading the entry.
  struct slot {
    uint32_t at;
    uint32_t tag;
  };
  void place(uint32_t k, uint64_t hash) {
    const size_t mask = slots_.size() - 1;
    size_t i = hash_slot(hash, mask);
    while (slots_[i].at != 0)
      i = (i + 1) & mask;
    slots_[i] = slot{k + 1, static_cast<uint32_t>(hash >> 32)};
  }
  void grow() {
    slots_.assign(slots_.empty() ? 64 : 2 * slots_.size(), slot{0, 0});
    for (size_t k = 0; k < entries_.size(); ++k)
      place(static_cast<uint32_t>(k), entries_[k].hash);
  }
  std::deque<entry> entries_;
  std::vector<slot> slots_;
};

// add_call's memory of the last caller: its entry in by_name. The list is
// the index's own, so records added or displaced later show in it; only the
// text needs comparing.
using caller_memo = const name_map<std::vector<int>>::entry*;

struct table_state {
  std::vector<std::unique_ptr<fun_info>> Finf;  // unique_ptr: callers keep fun_info* while Finf grows
  int fun_no = 0;                               // records so far; add_fun is the only writer
  std::vector<std::string> ext_fun;             // entry i is function number kExternBase + i
  name_map<int> ext_index;
  // Record numbers of each name in registration order (displaced records
  // under ""): the first entry is what the in-order search finds.
  name_map<std::vector<int>> by_name;
  caller_memo last_caller = nullptr;
  fun_group Fun;
  std::vector<pfun_info> Pfun_g = std::vector<pfun_info>(kPfunMax);
  std::vector<pfun_info> Pfun_l = std::vector<pfun_info>(kPfunMax);
  int gfun_cnt = 0;
  int lfun_cnt = 0;
  pfun_index gfun_index;  // over Pfun_g[0, gfun_cnt)
  pfun_index lfun_index;  // over Pfun_l[0, lfun_cnt)
};

extern table_state g_tab;
void reset_tables();

// Registers entry 0 of Fun. kind 0 C function, 1 macro. 0: registered as
// Finf[fun_no - 1] (offsets left for the caller); 3: refused.
int add_fun(int kind, const char* file, int line);
// Records that `caller` calls `callee`. 0 when the call is known afterwards,
// -1 when the caller has no open record or ext_fun is full.
// With `any_record`, a caller whose definitions have all been passed keeps
// the call in its first record: a function passed as an argument is called
// by the receiving function wherever that one is defined.
int add_call(const char* caller, const char* callee, bool any_record = false);
// The named entries of Fun that are not ignored: the calls a group makes.
int group_callees();
// Records that `caller` calls each of them.
void add_group_calls(const char* caller);
// The definitions a call of record `callee`'s name from record `caller`
// reaches (caller -1: a name asked for by itself), in file order. A name
// whose definitions all lie in one file has them as alternatives (the
// branches of an #if, a function and a macro) and reaches them all; else a
// call reaches the definitions in the caller's own file. Empty when the name
// is defined in several files and the caller's file defines none of them:
// a multiple function. A file scanned twice yields each definition once.
std::vector<int> reached_records(int caller, int callee);
// Number of the first record whose name matches the pattern `name`, or -1.
int ser_fun(const char* name);
// The same from record `start` on.
int ser_fun_next(int start, const char* name);
// First variable record named `name`, globals before locals; null when none.
pfun_info* ser_pfun(const char* name);
// Appends a fresh variable record to Pfun_g (`global`) or Pfun_l; null when
// that table is full. Records are named only through here, so the lookup
// index stays exact.
pfun_info* add_pfun(bool global, const std::string& name, int kind);
// Clears entry `n` of Fun the way a new entry starts: no arguments, arg[n][0] "".
// The group's strings keep their capacity, so a call entry costs no
// allocation once the group has held names as long.
void new_fun_entry(int n, std::string_view name);

}  // namespace kavel

#endif  // KAVEL_TABLES_FUN_TABLE_H_
