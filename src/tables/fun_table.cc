// The function table. Records, external names and relations only ever grow,
// so the indexes beside them are append-only too: a name maps to its record
// numbers in ascending order, and "the first record from k on" is a binary
// search in that list. A record that loses its name to a definition from a
// preferred file moves to the list of the empty name, where an in-order
// search would now find it.
#include "tables/fun_table.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "support/alloc.h"
#include "support/message_texts.h"
#include "support/messages.h"
#include "support/name_hash.h"
#include "tables/ignore_list.h"
#include "tables/name_checks.h"
#include "tables/pattern.h"

namespace kavel {

table_state g_tab;
void reset_tables() {
  g_tab = table_state{};
}

namespace {

// The number of the by_name entry of `name`, made when absent.
name_id name_number(std::string_view name) {
  return name_id(g_tab.by_name.number(name, span_hash(name)));
}

void index_add(name_records& r, int no) {
  int_list& v = r.recs;
  // Records come in rising numbers: the new one nearly always goes last.
  if (v.empty() || v.end()[-1] < no)
    v.push_back(no);
  else
    v.insert(std::lower_bound(v.begin(), v.end(), no), no);
}

void index_remove(std::string_view name, int no) {
  name_records* r = g_tab.by_name.find(name);
  if (r == nullptr)
    return;
  int_list& v = r->recs;
  auto pos = std::lower_bound(v.begin(), v.end(), no);
  if (pos != v.end() && *pos == no) {
    if (static_cast<size_t>(pos - v.begin()) < r->closed_front)
      --r->closed_front;
    v.erase(pos);
  }
}

// The record keeps its number but answers to "" from now on.
void displace(fun_info& r) {
  index_remove(r.name.view(), r.no);
  r.name = name_number("");
  index_add(*g_tab.by_name.find(""), r.no);
}

// The first open record of the list; the front of closed ones only grows.
int first_open(name_records& r) {
  while (r.closed_front < r.recs.size() && g_tab.Finf[r.recs[r.closed_front]].closed)
    ++r.closed_front;
  return r.closed_front < r.recs.size() ? r.recs[r.closed_front] : -1;
}

// A name with more records than this has its records of each file indexed.
constexpr size_t kFileScan = 8;

// Enters record `no` in the file index of its name, when it has one.
void file_index_add(name_records& r, const fun_info& rec) {
  if (r.by_file == 0)
    return;
  int& first = g_tab.by_file[r.by_file - 1][rec.file.view()];
  if (first == 0)
    first = rec.no + 1;
}

// The file index of a name with many records, made at its first use: only
// a file#name lookup asks for it.
name_map<int>* file_index(name_records& r) {
  if (r.by_file == 0) {
    if (r.recs.size() <= kFileScan)
      return nullptr;
    g_tab.by_file.emplace_back();
    r.by_file = static_cast<uint32_t>(g_tab.by_file.size());
    for (int k : r.recs)
      file_index_add(r, g_tab.Finf[k]);
  }
  return &g_tab.by_file[r.by_file - 1];
}

// A name looked up as written: measured and hashed once for every table
// it is looked up in.
struct lookup_key {
  std::string_view text;
  uint64_t hash;
  bool wild;  // holds a wildcard byte: only the in-order match can answer
  explicit lookup_key(const char* name) {
    text = std::string_view(name);
    hash = span_hash(text.data(), text.size(), &wild);
  }
};

int first_from(const int_list& v, int start) {
  // The usual question, the first record of the name, needs no search.
  if (!v.empty() && start <= v.front())
    return v.front();
  auto pos = std::lower_bound(v.begin(), v.end(), start);
  return pos == v.end() ? -1 : *pos;
}

int ser_fun_key(int start, const lookup_key& key) {
  if (!key.wild) {
    // Without a wildcard the pattern matches exactly its own text.
    const name_records* r = g_tab.by_name.find(key.text, key.hash);
    return r == nullptr ? -1 : first_from(r->recs, start);
  }
  for (int k = start; k < g_tab.fun_no; ++k) {
    if (match(key.text.data(), g_tab.Finf[k].name.c_str()))
      return k;
  }
  return -1;
}

// Function number of an external callee, entering the name when it is new.
int extern_number(std::string_view name, uint64_t hash) {
  name_map<int>& ext = g_tab.ext_names;
  const size_t before = ext.size();
  int& at = ext.at(name, hash);
  if (ext.size() != before)
    at = static_cast<int>(before);  // numbered in the order they came, like the entries
  return kExternBase + at;
}

// The records of a caller without wildcards, in registration order; null
// when the name has none, or has wildcards (`wild`), which only the
// in-order match serves. Calls come a body at a time, so the caller is
// nearly always the one of the call before.
name_records* caller_records(const char* caller, bool& wild) {
  caller_memo& memo = g_tab.last_caller;
  wild = false;
  if (memo != nullptr && std::strcmp(memo->name, caller) == 0)
    return &memo->value;
  lookup_key key(caller);
  wild = key.wild;
  if (wild)
    return nullptr;
  // A name without an entry is not remembered: a later registration would
  // make the entry, which the memory would not see.
  auto* e = g_tab.by_name.find_entry(key.text, key.hash);
  if (e == nullptr)
    return nullptr;
  memo = e;
  return &e->value;
}

}  // namespace

int ser_fun(const char* name) {
  return ser_fun_next(0, name);
}

int ser_fun_next(int start, const char* name) {
  if (name == nullptr)
    return -1;
  if (start < 0)
    start = 0;
  return ser_fun_key(start, lookup_key(name));
}

pfun_info* ser_pfun(const char* name) {
  if (name == nullptr)
    return nullptr;
  const bool global = g_tab.gfun_cnt > 0 &&
                      (name[0] == 0 || (g_tab.gfun_starts.may_hold(name) &&
                                        g_tab.gfun_filter.may_hold(name)));
  const bool local = g_tab.lfun_cnt > 0 && g_tab.lfun_filter.may_hold(name);
  if (!global && !local)
    return nullptr;
  const std::string_view key(name);
  const uint64_t h = span_hash(key);
  if (global) {
    if (const int* at = g_tab.gfun_index.find(key, h))
      return &g_tab.Pfun_g[*at - 1];
  }
  if (local) {
    if (const int* at = g_tab.lfun_index.find(key, h))
      return &g_tab.Pfun_l[*at - 1];
  }
  return nullptr;
}

pfun_info* add_pfun(bool global, const std::string& name, pfun_kind kind) {
  std::vector<pfun_info>& tab = global ? g_tab.Pfun_g : g_tab.Pfun_l;
  int& cnt = global ? g_tab.gfun_cnt : g_tab.lfun_cnt;
  name_map<int>& index = global ? g_tab.gfun_index : g_tab.lfun_index;
  if (cnt <= 0) {
    cnt = 0;
    index.clear();  // no record holds a name from it any more
    if (global) {
      g_tab.gfun_starts = name_starts();
      g_tab.gfun_filter.clear();
    } else {
      g_tab.lfun_filter.clear();
    }
  }
  if (global && !name.empty())
    g_tab.gfun_starts.add(name.c_str());
  if (global)
    g_tab.gfun_filter.add(name);
  else
    g_tab.lfun_filter.add(name);
  auto& e = index.make_entry(name, span_hash(name));
  if (e.value != 0) {
    // Lookups answer with the first record of a name, so a later one is
    // never read again: its declaration fills in a record that is not kept.
    // Every file declaring the same functions would otherwise grow the
    // table by its prototypes.
    pfun_info& spare = g_tab.pfun_spare;
    spare = pfun_info{};
    g_tab.pfun_spare_name = name;
    spare.name = text_ref(g_tab.pfun_spare_name.c_str());
    spare.kind = kind;
    return &spare;
  }
  if (cnt >= static_cast<int>(tab.size()))
    tab.resize(static_cast<size_t>(cnt) + 1);
  pfun_info& rec = tab[cnt];
  rec = pfun_info{};
  rec.name = text_ref(e.name);
  rec.kind = kind;
  e.value = ++cnt;
  return &rec;
}

void note_assignment(pfun_info* v) {
  std::vector<pfun_info>& g = g_tab.Pfun_g;
  if (v->fun_cnt == v->init && !g.empty() && v >= g.data() && v < g.data() + g.size())
    g_tab.gfun_assigned.push_back(static_cast<int>(v - g.data()));
  v->fun_cnt++;
}

void forget_assignments() {
  // Every global variable not listed still holds init names: visiting all
  // of them at each function's end would cost the functions times the
  // variables of a whole tree.
  for (int k : g_tab.gfun_assigned) {
    if (k < g_tab.gfun_cnt)
      g_tab.Pfun_g[k].fun_cnt = g_tab.Pfun_g[k].init;
  }
  g_tab.gfun_assigned.clear();
}

void set_fun_name(int n, std::string_view name) {
  fun_group& f = g_tab.Fun;
  f.reach(n);
  std::string* own = f.name[n] ? &*f.name[n] : nullptr;
  if (own != nullptr && (name.data() < own->data() || name.data() > own->data() + own->size())) {
    // Emptied and appended, the string copies in place: assign takes the
    // general replacing path, which only a name inside the string needs.
    own->clear();
    own->append(name.data(), name.size());
  } else if (own != nullptr) {
    own->assign(name.data(), name.size());
  } else {
    f.name[n].emplace(name);
  }
}

void new_fun_entry(int n, std::string_view name) {
  set_fun_name(n, name);
  fun_group& f = g_tab.Fun;
  f.arg_cnt[n] = 0;
  if (f.arg[n][0])
    f.arg[n][0]->clear();
  else
    f.arg[n][0].emplace();
}

void int_list::insert(const int* pos, int v) {
  size_t k = static_cast<size_t>(pos - begin());
  size_t n = size();
  if (n == capacity())
    grow();
  int* d = data();
  std::memmove(d + k + 1, d + k, (n - k) * sizeof(int));
  d[k] = v;
  set_count(n + 1);
}

void int_list::erase(const int* pos) {
  size_t k = static_cast<size_t>(pos - begin());
  size_t n = size();
  int* d = data();
  std::memmove(d + k, d + k + 1, (n - k - 1) * sizeof(int));
  set_count(n - 1);
}

void int_list::grow() {
  // 4, 12, 28, 60, ... numbers: with the capacity, the count and the
  // heap's 8-byte header each block is a power of two, the sizes its size
  // classes hold without waste. A packed list grows to the next such size.
  const size_t n = size();
  size_t cap = 4;
  while (cap < n + 1)
    cap = 2 * cap + 4;
  if (cap > INT32_MAX)
    throw std::bad_alloc();
  const bool heap = !in_place() && !packed();
  void* p = heap ? std::realloc(u_.heap - 2, (cap + 2) * sizeof(int))
                 : std::malloc((cap + 2) * sizeof(int));
  if (p == nullptr)
    throw std::bad_alloc();
  int* block = static_cast<int*>(p);
  if (!heap && n > 0)
    std::memcpy(block + 2, data(), n * sizeof(int));
  block[0] = static_cast<int>(cap);
  block[1] = static_cast<int>(n);
  u_.heap = block + 2;
}

void int_arena::pack(int_list& l) {
  if (l.in_place() || l.packed())
    return;
  const size_t n = l.size();
  int_list::form packed = int_list::empty_form();
  if (n == 1) {
    packed.w[1 - int_list::kTag] = static_cast<uint32_t>(l.front());
    packed.w[int_list::kTag] = 3;
  } else if (n > 1) {
    // The count and the numbers, in an even number of ints: the next
    // block starts 8-aligned again, so that its numbers sit at 4 mod 8.
    const size_t want = (n + 2) & ~size_t{1};
    int* at;
    if (want > kBlock / 4) {
      // A long list has a block of its own: the tail of the current one
      // stays for the next lists.
      blocks_.emplace_back(new int[want]);
      at = blocks_.back().get();
    } else {
      if (want > left_) {
        blocks_.emplace_back(new int[kBlock]);
        free_ = blocks_.back().get();
        left_ = kBlock;
      }
      at = free_;
      free_ += want;
      left_ -= want;
    }
    at[0] = static_cast<int>(n);
    std::memcpy(at + 1, l.begin(), n * sizeof(int));
    packed.heap = at + 1;
  }
  l.release();
  l.u_ = packed;
}

const char* fun_info::first_line() const {
  const char** at = g_tab.Finf.head(static_cast<size_t>(no));
  return at != nullptr && *at != nullptr ? *at : "";
}

void set_first_line(const fun_info& r, std::string_view first_line) {
  if (const char** at = g_tab.Finf.head(static_cast<size_t>(r.no)))
    *at = g_tab.texts.add(first_line);
}

void make_relation_lists(std::vector<int_list>& lists, int no) {
  lists.resize(std::max(static_cast<size_t>(no) + 1, static_cast<size_t>(g_tab.fun_no)));
}

void close_record(int no) {
  fun_info& r = g_tab.Finf[static_cast<size_t>(no)];
  r.closed = 1;
  if (static_cast<size_t>(no) < g_tab.callee_lists.size()) {
    g_tab.packed_calls.pack(g_tab.callee_lists[static_cast<size_t>(no)]);
    if (!g_tab.callee_sets.empty())
      g_tab.callee_sets.erase(no);
  }
}

uint32_t& walk_cursor(int no) {
  std::vector<uint32_t>& c = g_tab.walk_cursors;
  if (static_cast<size_t>(no) >= c.size())
    c.resize(std::max(static_cast<size_t>(no) + 1, static_cast<size_t>(g_tab.fun_no)));
  return c[static_cast<size_t>(no)];
}

file_id file_ref(std::string_view file) {
  // Records of one file come together: the last file nearly always answers.
  if (g_tab.files.size() == 0 || g_tab.last_file.view() != file) {
    const size_t before = g_tab.files.size();
    uint32_t& k = g_tab.files[file];
    if (g_tab.files.size() != before)
      k = static_cast<uint32_t>(before);
    g_tab.last_file = file_id(k);
  }
  return g_tab.last_file;
}

fun_info& new_record(std::string_view name, std::string_view file) {
  if (g_tab.fun_no >= kExternBase - 1)
    out_of_memory(static_cast<long long>(sizeof(fun_info)));
  file_id in = file_ref(file);
  fun_info& rec = g_tab.Finf.emplace_back();
  rec.no = g_tab.fun_no++;
  rec.file = in;
  rec.name = name_number(name);
  return rec;
}

const char* ext_name(size_t i) {
  return g_tab.ext_names.entry_at(i).name;
}

int add_extern(std::string_view name) {
  return extern_number(name, span_hash(name));
}

int add_fun(fun_kind kind, const char* file, int line, const char* first_line) {
  const opt_text& entry = g_tab.Fun.name[0];
  if (!entry) {
    errmsg1(kMsgNoFunctionName);
    return 3;
  }
  // Nothing below changes Fun: the name can be read in place.
  const std::string& name = *entry;
  if (file == nullptr)
    file = "";
  if (check_ignfun(name.c_str()) == 1)
    return 3;

  int16_t dup = 0;
  int n = ser_fun(name.c_str());
  if (n >= 0) {
    bool here = check_mfile(file) != 0;
    if (ser_fun_next(n + 1, name.c_str()) < 0) {
      fun_info& r = g_tab.Finf[n];
      bool there = check_mfile(r.file.c_str()) != 0;
      if (there == here) {
        r.dup = 1;
        dup = 1;
        if (kind == kMacro)
          errmsg1(kMsgMultipleDeclaration, name, file);
      } else if (there) {
        return 3;
      } else {
        displace(r);
      }
    } else {
      if (!here)
        return 3;
      dup = 1;
    }
  }

  fun_info& rec = new_record(name, file);
  rec.kind = kind;
  rec.dup = dup;
  rec.line = line;
  set_first_line(rec, first_line);
  name_records& named = *g_tab.by_name.find(name);
  index_add(named, rec.no);
  file_index_add(named, rec);
  return 0;
}

namespace {

// Calls are looked up along the callees while they are few; past this many
// a set answers, so a function calling thousands of others costs no more
// per call than one calling three.
constexpr size_t kCalleeScan = 32;

// True when `b` is new among the callees of `r`, which then holds it.
bool add_callee(fun_info& r, int b) {
  int_list& callees = r.callees();
  if (callees.size() < kCalleeScan) {
    if (std::find(callees.begin(), callees.end(), b) != callees.end())
      return false;
  } else {
    std::unordered_set<int>& set = g_tab.callee_sets[r.no];
    if (set.empty())
      set.insert(callees.begin(), callees.end());
    if (!set.insert(b).second)
      return false;
  }
  callees.push_back(b);
  return true;
}

}  // namespace

int add_call(const char* caller, const char* callee, bool any_record) {
  // An empty name would find a displaced record, whose text is no longer
  // reachable by name; such a call belongs to nothing.
  if (caller == nullptr || callee == nullptr || *caller == 0 || *callee == 0)
    return -1;
  // Without the relations only a record calling itself is news, and two
  // names without wildcard bytes find two different records: a listing of
  // a big tree asks this for every call.
  if (!g_tab.keep_calls && std::strcmp(caller, callee) != 0 &&
      !has_wildcard(caller) && !has_wildcard(callee))
    return 0;
  bool wild = false;
  name_records* records = caller_records(caller, wild);
  int a = wild ? ser_fun(caller) : records == nullptr || records->recs.empty() ? -1 : records->recs.front();
  if (a < 0)
    return -1;
  const lookup_key callee_key(callee);
  int b = ser_fun_key(0, callee_key);
  // Without the relations only a record calling itself is news.
  if (b < 0 && !g_tab.keep_calls)
    return 0;
  if (b < 0)
    b = extern_number(callee_key.text, callee_key.hash);
  // Pass 2 meets same-named definitions in pass 1's order, so the first one
  // not yet closed is the body being scanned.
  const int first = a;
  if (wild) {
    while (g_tab.Finf[a].closed) {
      a = ser_fun_next(a + 1, caller);
      if (a < 0)
        break;
    }
  } else {
    a = first_open(*records);
  }
  if (a < 0) {
    if (!any_record)
      return -1;
    a = first;
  }
  fun_info& ra = g_tab.Finf[a];
  if (a == b) {
    // A macro's name called from elsewhere while its record is open (a
    // member of that name passed to a call of it, `min(p->min, 0)`) is no
    // call of the macro by itself.
    if (ra.kind != kMacro || g_tab.replacement_of == a)
      ra.kind = kSelfCalling;
    return 0;
  }
  if (!g_tab.keep_calls || !add_callee(ra, b))
    return 0;
  // The definitions the call reaches record the caller: the callee's own
  // record, its alternatives, or those in the caller's file. A name defined
  // in several files but not in the caller's cannot tell which one is
  // called, so none of them records it.
  if (b >= kExternBase)
    return 0;
  if (g_tab.Finf[b].dup == 0) {
    g_tab.Finf[b].callers().push_back(a);
    return 0;
  }
  for (int k : reached_records(a, b)) {
    if (k != a)  // a function is not its own caller
      g_tab.Finf[k].callers().push_back(a);
  }
  return 0;
}

std::vector<int> reached_records(int caller, int callee) {
  if (callee < 0 || callee >= g_tab.fun_no)
    return {};
  const fun_info& r = g_tab.Finf[callee];
  if (!r.dup || r.name.empty())
    return {callee};
  const name_records* named = &g_tab.by_name.entry_at(r.name.number()).value;
  const int_list* all = &named->recs;
  std::vector<int> out;
  bool one_file = true;
  for (int k : *all)
    one_file = one_file && g_tab.Finf[k].file == r.file;
  const file_id* file = &r.file;
  if (!one_file) {
    if (caller < 0 || caller >= g_tab.fun_no)
      return {};
    file = &g_tab.Finf[caller].file;
  }
  // The records kept all lie in one file, where two that end at one place
  // are one definition read twice (the file was named twice).
  for (int k : *all) {
    const fun_info& d = g_tab.Finf[k];
    if (d.file != *file)
      continue;
    bool again = false;  // the records kept are few: a look along them does
    if (!out.empty()) {
      const long long end = d.end_pos();
      for (int kept : out)
        again = again || g_tab.Finf[kept].end_pos() == end;
    }
    if (!again)
      out.push_back(k);
  }
  return out;
}

int ser_fun_in_file(const std::string& file, const char* name) {
  lookup_key key(name);
  if (!key.wild) {
    name_records* r = g_tab.by_name.find(key.text, key.hash);
    if (r == nullptr)
      return -1;
    name_map<int>* index = file_index(*r);
    if (index == nullptr) {
      for (int k : r->recs) {
        if (g_tab.Finf[k].file == file)
          return k;
      }
      return -1;
    }
    const int* at = index->find(file);
    if (at == nullptr)
      return -1;
    if (g_tab.Finf[*at - 1].name == key.text)
      return *at - 1;
    // That record was displaced since: look along the name's records.
  }
  int n = ser_fun_key(0, key);
  while (n >= 0 && g_tab.Finf[n].file != file)
    n = ser_fun_key(n + 1, key);
  return n;
}

int first_open_record(const char* name) {
  lookup_key key(name);
  if (!key.wild) {
    name_records* r = g_tab.by_name.find(key.text, key.hash);
    return r == nullptr ? -1 : first_open(*r);
  }
  int n = ser_fun(name);
  while (n >= 0 && g_tab.Finf[n].closed)
    n = ser_fun_next(n + 1, name);
  return n;
}

namespace {
bool is_callee(const opt_text& name) {
  return name && !check_ignfun(name->c_str());
}
}  // namespace

int group_callees() {
  const fun_group& f = g_tab.Fun;
  int n = 0;
  for (int k = 0; k < f.num; ++k)
    n += is_callee(f.name[k]) ? 1 : 0;
  return n;
}

void add_group_calls(const char* caller) {
  const fun_group& f = g_tab.Fun;
  for (int k = 0; k < f.num; ++k) {
    if (is_callee(f.name[k]))
      add_call(caller, f.name[k]->c_str());
  }
}

}  // namespace kavel
