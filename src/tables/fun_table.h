// The table of every function and macro the scan found, the call relations
// between them, the names called but never defined, and the variables that
// hold function names. Records are kept in registration order and never
// removed; every lookup answers as a search in that order would, with hash
// indexes beside the tables so that full tables stay fast.
#ifndef KAVEL_TABLES_FUN_TABLE_H_
#define KAVEL_TABLES_FUN_TABLE_H_

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "support/name_map.h"
#include "support/text_arena.h"

namespace kavel {

// Function number of ext_fun entry 0. Records are numbered below it: a
// billion records would need far more memory than any run has, so the two
// ranges never meet (add_fun refuses a record that would reach it).
constexpr int kExternBase = 1 << 30;

// A text slot that may hold nothing at all (null), which is not the same as
// holding the empty string: "fail to analize" depends on the difference.
using opt_text = std::optional<std::string>;

// A record's argument texts, where a slot never set reads as null. Only the
// slots up to the last one set take room.
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

// What a record is: a C function, a macro entered as a function of its own,
// or a C function found calling itself.
enum fun_kind : uint8_t { kFunction = 0, kMacro = 1, kSelfCalling = 2 };

// A name or file name stored once for the whole table: records point at
// it instead of holding copies. Equal texts of one table are one pointer.
class text_ref {
 public:
  text_ref() = default;
  explicit text_ref(const char* text) : p_(text) {}
  const char* c_str() const { return p_; }
  bool empty() const { return *p_ == 0; }
  std::string_view view() const { return p_; }
  operator std::string_view() const { return p_; }
  friend bool operator==(text_ref a, text_ref b) {
    return a.p_ == b.p_ || std::strcmp(a.p_, b.p_) == 0;
  }
  friend bool operator!=(text_ref a, text_ref b) { return !(a == b); }
  friend bool operator==(text_ref a, std::string_view b) { return a.view() == b; }
  friend bool operator!=(text_ref a, std::string_view b) { return !(a == b); }

 private:
  const char* p_ = "";
};

// A list of numbers in 8 bytes: one is held in place (most functions
// have one caller, most names one record), more in a block of their own.
// A growing block is the heap's, with its capacity and count just before
// the numbers, in sizes that fill the heap's size classes exactly. A list
// that is done growing can be packed (int_arena::pack): its block is then
// the count and the numbers alone, in a shared arena; a later push_back
// first copies it back to a heap block.
class int_list {
 public:
  int_list() = default;
  int_list(const int_list& o) { *this = o; }
  int_list& operator=(const int_list& o) {
    if (this != &o) {
      release();
      u_ = empty_form();
      for (int v : o)
        push_back(v);
    }
    return *this;
  }
  int_list(int_list&& o) noexcept { take(o); }
  int_list& operator=(int_list&& o) noexcept {
    if (this != &o) {
      release();
      take(o);
    }
    return *this;
  }
  ~int_list() { release(); }

  size_t size() const { return in_place() ? u_.w[kTag] >> 1 : static_cast<uint32_t>(u_.heap[-1]); }
  bool empty() const { return size() == 0; }
  const int* begin() const { return data(); }
  const int* end() const { return data() + size(); }
  int operator[](size_t k) const { return data()[k]; }
  int front() const { return data()[0]; }
  void push_back(int v) {
    size_t n = size();
    if (n == capacity())
      grow();
    data()[n] = v;
    set_count(n + 1);
  }
  // Rare (a record out of order, a displaced one): kept out of line.
  void insert(const int* pos, int v);
  void erase(const int* pos);

 private:
  friend class int_arena;
  // In place, the word that overlaps the pointer's low half holds
  // 1 + 2 * count: a block pointer is aligned, so its low bit tells the
  // forms apart. A heap block's numbers start 8-aligned, a packed block's
  // 4 bytes past it: bit 2 of the pointer tells those two apart.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  static constexpr int kTag = 1;
#else
  static constexpr int kTag = 0;
#endif
  union form {
    uint32_t w[2];
    int* heap;
  };
  static form empty_form() { return form{{kTag == 0 ? 1u : 0u, kTag == 1 ? 1u : 0u}}; }
  bool in_place() const { return (u_.w[kTag] & 1) != 0; }
  bool packed() const { return (reinterpret_cast<uintptr_t>(u_.heap) & 4) != 0; }
  size_t capacity() const {
    if (in_place())
      return 1;
    return packed() ? size() : static_cast<uint32_t>(u_.heap[-2]);
  }
  int* data() { return in_place() ? reinterpret_cast<int*>(&u_.w[1 - kTag]) : u_.heap; }
  const int* data() const {
    return in_place() ? reinterpret_cast<const int*>(&u_.w[1 - kTag]) : u_.heap;
  }
  void set_count(size_t n) {
    if (in_place())
      u_.w[kTag] = static_cast<uint32_t>(1 + 2 * n);
    else
      u_.heap[-1] = static_cast<int>(n);
  }
  void grow();
  void release() {
    if (!in_place() && !packed())
      std::free(u_.heap - 2);
  }
  void take(int_list& o) {
    u_ = o.u_;
    o.u_ = empty_form();
  }
  form u_ = empty_form();
};

// The packed blocks of int_list, one after another in large blocks that
// live as long as the table: a packed list costs its count and numbers,
// with no heap header and no room to grow.
class int_arena {
 public:
  // Moves the numbers of a list in a heap block here; a list of one
  // number or none goes in place. Other lists are left as they are.
  void pack(int_list& l);

 private:
  // Blocks of 16 K numbers; a list of more than a quarter of that has a
  // block of its own, so that little of a block's end goes unused.
  static constexpr size_t kBlock = size_t{1} << 14;
  std::vector<std::unique_ptr<int[]>> blocks_;
  int* free_ = nullptr;
  size_t left_ = 0;
};

// A source file as a number in the table's list of files: four bytes in
// each record instead of a pointer. Equal names are one number.
class file_id {
 public:
  file_id() = default;
  explicit file_id(uint32_t k) : k_(k) {}
  const char* c_str() const;
  std::string_view view() const { return c_str(); }
  friend bool operator==(file_id a, file_id b) { return a.k_ == b.k_; }
  friend bool operator!=(file_id a, file_id b) { return a.k_ != b.k_; }
  friend bool operator==(file_id a, std::string_view b) { return a.view() == b; }
  friend bool operator!=(file_id a, std::string_view b) { return !(a == b); }

 private:
  uint32_t k_ = 0;
};

// A record's name as the number of its entry in the table's index of
// names (by_name): four bytes in each record instead of a pointer. Equal
// names are one number.
class name_id {
 public:
  name_id() = default;
  explicit name_id(uint32_t k) : k_(k) {}
  // The entry's number in by_name; a name never set has none.
  uint32_t number() const { return k_; }
  const char* c_str() const;
  std::string_view view() const;
  bool empty() const { return *c_str() == 0; }
  operator std::string_view() const { return view(); }
  operator text_ref() const { return text_ref(c_str()); }
  friend bool operator==(name_id a, name_id b) { return a.k_ == b.k_; }
  friend bool operator!=(name_id a, name_id b) { return a.k_ != b.k_; }
  friend bool operator==(name_id a, std::string_view b) { return a.view() == b; }
  friend bool operator!=(name_id a, std::string_view b) { return !(a == b); }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;  // reads as ""
  uint32_t k_ = kNone;
};

// Where a record's text lies in its source file: three offsets of 40 bits
// each, low and high parts apart so that they pack: a source file of up to
// 512 GB, far beyond what a run can read, where long longs would cost nine
// bytes more.
struct fun_place {
  uint32_t lo[3] = {};
  int8_t hi[3] = {};
  long long get(int k) const { return static_cast<long long>(hi[k]) * (1LL << 32) + lo[k]; }
  void set(int k, long long v) {
    lo[k] = static_cast<uint32_t>(v);
    hi[k] = static_cast<int8_t>(v >> 32);  // -1 stays -1
  }
};

// 20 bytes a record: what is kept for every function of a whole tree.
// Where the text lies, and what only some outputs need (first lines,
// callers and callees), live in tables beside the records; the latter are
// made only for a run that may print them.
struct fun_info {
  fun_info() : kind(kFunction), dup(0), closed(0), printed(0) {}
  int no = 0;            // own number: position in Finf
  int line = 0;          // line of the header's '('
  file_id file;          // source file as the pass was given it
  name_id name;          // empty once displaced by a definition from a preferred file
  fun_kind kind : 2;
  uint8_t dup : 1;       // 1: the name has more than one record
  uint8_t closed : 1;    // 1: pass 2 has passed this definition's closing brace
  uint8_t printed : 1;   // 1: printed or passed by the walk

  // Start of the leading region (comment block, or with -g everything).
  long long top_pos() const { return place().get(0); }
  // Start of the header's first line; -1 for a macro.
  long long head_pos() const { return place().get(1); }
  // Just past the line with the closing brace.
  long long end_pos() const { return place().get(2); }
  void set_top_pos(long long v) { set_pos(0, v); }
  void set_head_pos(long long v) { set_pos(1, v); }
  void set_end_pos(long long v) { set_pos(2, v); }

  // line_org at registration, line feed included; "" when the table keeps
  // no first lines.
  const char* first_line() const;
  // Record numbers, or kExternBase + ext name number; each once.
  const int_list& callees() const;
  int_list& callees();
  // Record numbers, in the order the calls were met.
  const int_list& callers() const;
  int_list& callers();

 private:
  // All offsets read 0 where the table keeps no places.
  const fun_place& place() const;
  void set_pos(int k, long long v);
};
static_assert(sizeof(fun_info) == 20, "a record is 20 bytes");

// The records, in chunks that never move: a record keeps its address while
// the table grows, and costs no allocation of its own. The places and the
// first lines of the records sit in chunks of their own beside them. The
// places are kept in every run: even a listing reads the texts of macros,
// to tell whether it can leave out the pass over calls. The first lines
// are made only while `keep_heads` is set: only a -s listing prints them,
// and on a large tree they are the biggest part of the table.
class record_store {
 public:
  fun_info& operator[](size_t k) { return chunks_[k >> kShift][k & kMask]; }
  const fun_info& operator[](size_t k) const { return chunks_[k >> kShift][k & kMask]; }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  fun_info& back() { return (*this)[count_ - 1]; }
  // A fresh record at the end.
  fun_info& emplace_back() {
    if ((count_ >> kShift) == chunks_.size()) {
      chunks_.emplace_back(new fun_info[kMask + 1]);
      places_.emplace_back(new fun_place[kMask + 1]);
      heads_.emplace_back(keep_heads ? new const char*[kMask + 1]() : nullptr);
    }
    return (*this)[count_++];
  }
  // The place of record `k`; null where none is kept.
  fun_place* place(size_t k) const {
    fun_place* chunk = places_[k >> kShift].get();
    return chunk == nullptr ? nullptr : &chunk[k & kMask];
  }
  // The slot of record `k`'s first line; null where none is kept.
  const char** head(size_t k) const {
    const char** chunk = heads_[k >> kShift].get();
    return chunk == nullptr ? nullptr : &chunk[k & kMask];
  }
  bool keep_heads = true;

 private:
  static constexpr size_t kShift = 8;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  std::vector<std::unique_ptr<fun_info[]>> chunks_;
  std::vector<std::unique_ptr<fun_place[]>> places_;
  std::vector<std::unique_ptr<const char*[]>> heads_;
  size_t count_ = 0;
};

// The latest analysed parenthesised group: entry 0 is the name before the
// parenthesis, further entries nested calls and functions reached through
// variables. Slots an analysis does not set keep what an earlier one left.
// What the arguments of a group's own parentheses hold, in rising
// precedence: only plain names (or nothing), other things (a number, a
// string, an operator, a nested group), or a type word.
enum group_form : int8_t { kPlainNames = 0, kOtherArgs = 1, kTypedParams = 2 };

// The entries grow as a group needs them and are never shrunk, so a later
// group reuses the strings of an earlier one.
struct fun_group {
  int num = 0;
  group_form form = kPlainNames;  // of the last group ana_args took apart
  std::vector<opt_text> name = std::vector<opt_text>(1);
  std::vector<int> arg_cnt = std::vector<int>(1);
  std::vector<arg_slots> arg = std::vector<arg_slots>(1);
  std::vector<arg_slots> arg_type = std::vector<arg_slots>(1);
  // Makes entry `n` exist.
  void reach(int n) {
    if (n >= static_cast<int>(name.size()))
      grow(n);
  }
  [[gnu::noinline]] void grow(int n) {
    size_t m = static_cast<size_t>(n) + 1;
    name.resize(m);
    arg_cnt.resize(m);
    arg.resize(m);
    arg_type.resize(m);
  }
};

// What a function-name variable record holds: a declared function, a
// pointer to a function, or a pointer among old-style parameters.
enum pfun_kind : int8_t { kDeclaredFun = 0, kPointerVar = 1, kPointerParam = 2 };

// The names assigned to one variable: most variables get none, so the list
// costs one pointer until it holds a name.
class assigned_names {
 public:
  assigned_names() = default;
  assigned_names(std::initializer_list<std::string> names) {
    for (const std::string& n : names)
      push_back(n);
  }
  assigned_names(const assigned_names& o) { *this = o; }
  assigned_names& operator=(const assigned_names& o) {
    if (this != &o)
      v_ = o.v_ ? std::make_unique<std::vector<std::string>>(*o.v_) : nullptr;
    return *this;
  }
  assigned_names(assigned_names&&) noexcept = default;
  assigned_names& operator=(assigned_names&&) noexcept = default;
  bool empty() const { return !v_ || v_->empty(); }
  size_t size() const { return v_ ? v_->size() : 0; }
  std::string& operator[](size_t k) { return (*v_)[k]; }
  const std::string& operator[](size_t k) const { return (*v_)[k]; }
  void clear() { v_.reset(); }
  template <typename T>
  void emplace_back(T&& name) {
    made().emplace_back(std::forward<T>(name));
  }
  void push_back(const std::string& name) { made().push_back(name); }

 private:
  std::vector<std::string>& made() {
    if (!v_)
      v_ = std::make_unique<std::vector<std::string>>();
    return *v_;
  }
  std::unique_ptr<std::vector<std::string>> v_;
};

struct pfun_info {
  text_ref name;  // in the arena of its table
  pfun_kind kind = kDeclaredFun;
  int8_t init = 0;        // 1: funs[0] came from the declaration's initialiser
  int fun_cnt = 0;    // names in funs
  int fun_done = 0;   // names already turned into call targets
  assigned_names funs;  // entries past fun_cnt are stale
};

// Record numbers of one name in registration order, and how many of the
// first ones pass 2 has closed: pass 2 closes a name's definitions in that
// order, so the first open one is found without walking the closed ones.
struct name_records {
  int_list recs;
  uint32_t closed_front = 0;  // recs[0, closed_front) are all closed
  // 1 + the position in table_state::by_file of the first record of each
  // file, made only for a name with many records (the others are looked
  // along); 0 for none.
  uint32_t by_file = 0;
};

// add_call's memory of the last caller: its entry in by_name. The list is
// the index's own, so records added or displaced later show in it; only the
// text needs comparing.
using caller_memo = name_map<name_records>::entry*;

struct table_state {
  record_store Finf;
  int fun_no = 0;  // records so far; new_record is the only writer
  // The names called but defined nowhere: entry i is function number
  // kExternBase + i.
  name_map<int> ext_names;
  // Record numbers of each name in registration order (displaced records
  // under ""): the first entry is what the in-order search finds. Records
  // take their names from here.
  name_map<name_records> by_name;
  // Record number + 1 of the first record of each file, for the names
  // whose name_records::by_file leads here.
  std::vector<name_map<int>> by_file;
  // The source files, each name kept once; the one of the last record.
  name_map<uint32_t> files;
  file_id last_file;
  // The texts of the records' first lines (Finf.keep_heads).
  text_arena texts;
  // Callees and callers of the records, by number, kept only when
  // `keep_calls` is set: a plain listing prints neither. Both tables are
  // made at their first use, for the records there are by then.
  std::vector<int_list> callee_lists;
  std::vector<int_list> caller_lists;
  bool keep_calls = true;
  // The macro record whose replacement pass 2 reads, or -1: only there can
  // a call of a macro's name be the macro calling itself.
  int replacement_of = -1;
  // Where the callee lists of closed records are packed.
  int_arena packed_calls;
  // The callees as sets, for open records with too many to search along.
  std::unordered_map<int, std::unordered_set<int>> callee_sets;
  // Per record, how many of its callees the walk has passed; made by the
  // first walk, as only a walk needs it.
  std::vector<uint32_t> walk_cursors;
  caller_memo last_caller = nullptr;
  fun_group Fun;
  // Both grow as add_pfun needs; entries past the counts are stale. A
  // table is emptied by setting its count to 0.
  std::vector<pfun_info> Pfun_g = std::vector<pfun_info>(64);
  std::vector<pfun_info> Pfun_l = std::vector<pfun_info>(64);
  int gfun_cnt = 0;
  int lfun_cnt = 0;
  pfun_info pfun_spare;  // what add_pfun hands out for a name already held
  std::string pfun_spare_name;
  // Position + 1 of the first record of each name of Pfun_g and Pfun_l;
  // the records take their names from here. Each is read only while its
  // count is above 0 and emptied by the first add_pfun after the count
  // went back to 0, so a name handed out lives until then.
  name_map<int> gfun_index;
  name_map<int> lfun_index;
  // How the names of gfun_index and lfun_index begin: most names asked
  // about are no variable. The locals are few, and emptied at every body.
  name_starts gfun_starts;
  name_filter<17> gfun_filter;
  name_filter<10> lfun_filter;
  // Positions in Pfun_g whose fun_cnt an assignment moved off init since
  // the last forget_assignments: the only ones it needs to visit.
  std::vector<int> gfun_assigned;
};

extern table_state g_tab;
void reset_tables();

inline const char* file_id::c_str() const {
  return g_tab.files.entry_at(k_).name;
}

inline const char* name_id::c_str() const {
  return k_ == kNone ? "" : g_tab.by_name.entry_at(k_).name;
}

inline std::string_view name_id::view() const {
  if (k_ == kNone)
    return std::string_view();
  return g_tab.by_name.entry_at(k_).key();
}

// Makes record `no`'s list in `lists`, with room for every record.
void make_relation_lists(std::vector<int_list>& lists, int no);
// The record's list in `lists`, made when absent.
inline int_list& relation_list(std::vector<int_list>& lists, int no) {
  if (static_cast<size_t>(no) >= lists.size())
    make_relation_lists(lists, no);
  return lists[static_cast<size_t>(no)];
}
// The record's list in `lists`; an empty one when absent.
inline const int_list& relation_list(const std::vector<int_list>& lists, int no) {
  static const int_list none;
  return static_cast<size_t>(no) < lists.size() ? lists[static_cast<size_t>(no)] : none;
}

inline const fun_place& fun_info::place() const {
  static const fun_place none;
  const fun_place* p = g_tab.Finf.place(static_cast<size_t>(no));
  return p == nullptr ? none : *p;
}

inline void fun_info::set_pos(int k, long long v) {
  if (fun_place* p = g_tab.Finf.place(static_cast<size_t>(no)))
    p->set(k, v);
}

inline const int_list& fun_info::callees() const { return relation_list(g_tab.callee_lists, no); }
inline int_list& fun_info::callees() { return relation_list(g_tab.callee_lists, no); }
inline const int_list& fun_info::callers() const { return relation_list(g_tab.caller_lists, no); }
inline int_list& fun_info::callers() { return relation_list(g_tab.caller_lists, no); }

// The table's copy of the source file name `file`.
file_id file_ref(std::string_view file);
// Appends record number fun_no named `name`, of `file`, with nothing else
// set; the name is entered in by_name's keys but in no list of records.
fun_info& new_record(std::string_view name, std::string_view file);
// Stores the record's first line, when the table keeps first lines
// (Finf.keep_heads).
void set_first_line(const fun_info& r, std::string_view first_line);
// Marks record `no` as closed: pass 2 has passed its body. Its callees
// are then packed, as a closed record rarely gains another.
void close_record(int no);
// How many callees of record `no` the walk has passed.
uint32_t& walk_cursor(int no);
// Name of external function number kExternBase + i.
const char* ext_name(size_t i);
// Function number of the external name `name`, entering it when new.
int add_extern(std::string_view name);
// Registers entry 0 of Fun as a function or a macro; `first_line` is
// the line the definition's header was read from, line feed included. 0:
// registered as Finf[fun_no - 1] (offsets left for the caller); 3: refused.
int add_fun(fun_kind kind, const char* file, int line, const char* first_line);
// Records that `caller` calls `callee`. 0 when the call is known afterwards,
// -1 when the caller has no open record.
// With `any_record`, a caller whose definitions have all been passed keeps
// the call in its first record: a function passed as an argument is called
// by the receiving function wherever that one is defined.
int add_call(const char* caller, const char* callee, bool any_record = false);
// Whether a call met now can change what the run prints: always where the
// relations are kept; in a listing only on the lines of a macro's own
// replacement, where the macro may be found calling itself (a function
// calling itself is listed all the same).
inline bool calls_matter() {
  return g_tab.keep_calls || g_tab.replacement_of >= 0;
}
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
// Number of the first record of `file` whose name matches the pattern `name`, or -1.
int ser_fun_in_file(const std::string& file, const char* name);
// With one name defined several times, pass 2 meets the bodies in pass 1's
// order: the first record of `name` not yet closed is the body being
// scanned. -1 when none is open.
int first_open_record(const char* name);
// The same from record `start` on.
int ser_fun_next(int start, const char* name);
// First variable record named `name`, globals before locals; null when none.
pfun_info* ser_pfun(const char* name);
// Appends a fresh variable record to Pfun_g (`global`) or Pfun_l; for a
// name the table holds already, a record that is not kept (lookups find
// the first). Records are named only through here.
pfun_info* add_pfun(bool global, const std::string& name, pfun_kind kind);
// Counts one more name assigned to the variable `v`.
void note_assignment(pfun_info* v);
// Takes every global variable back to the names of its declaration, as a
// function's end does.
void forget_assignments();
// Clears entry `n` of Fun the way a new entry starts: no arguments, arg[n][0] "".
// The group's strings keep their capacity, so a call entry costs no
// allocation once the group has held names as long.
void new_fun_entry(int n, std::string_view name);
// Names entry `n` of Fun and leaves its arguments as they were: for pass 2,
// which comes after every analysis that reads them.
void set_fun_name(int n, std::string_view name);

}  // namespace kavel

#endif  // KAVEL_TABLES_FUN_TABLE_H_
