// The function table. Records, external names and relations only ever grow,
// so the indexes beside them are append-only too: a name maps to its record
// numbers in ascending order, and "the first record from k on" is a binary
// search in that list. A record that loses its name to a definition from a
// preferred file moves to the list of the empty name, where an in-order
// search would now find it.
#include "tables/fun_table.h"

#include <algorithm>
#include <cstring>

#include "extract/ignore_list.h"
#include "extract/pattern.h"
#include "scanner/tokenizer.h"
#include "support/messages.h"
#include "support/name_hash.h"
#include "tables/name_checks.h"

namespace kavel {

table_state g_tab;
void reset_tables() {
  g_tab = table_state{};
}

namespace {

void index_add(const std::string& name, int no) {
  std::vector<int>& v = g_tab.by_name[name];
  v.insert(std::lower_bound(v.begin(), v.end(), no), no);
}

void index_remove(const std::string& name, int no) {
  auto it = g_tab.by_name.find(name);
  if (it == g_tab.by_name.end())
    return;
  std::vector<int>& v = it->second;
  auto pos = std::lower_bound(v.begin(), v.end(), no);
  if (pos != v.end() && *pos == no)
    v.erase(pos);
}

// The record keeps its number but answers to "" from now on.
void displace(fun_info& r) {
  index_remove(r.name, r.no);
  r.name.clear();
  index_add(r.name, r.no);
}

// Function number of an external callee, entering the name when it is new;
// -1 (after the message) when the table is full.
int extern_number(const char* callee) {
  auto it = g_tab.ext_index.find(callee);
  if (it != g_tab.ext_index.end())
    return kExternBase + it->second;
  int i = static_cast<int>(g_tab.ext_fun.size());
  if (i >= kExtMax) {
    errmsg1("internal error: %s has been omitted by too many functions.\n", callee);
    return -1;
  }
  g_tab.ext_fun.emplace_back(callee);
  g_tab.ext_index.emplace(callee, i);
  return kExternBase + i;
}

// Twice the most records a Pfun table holds keeps probe chains short.
constexpr size_t kPfunSlots = 512;
static_assert(kPfunSlots >= 2 * kPfunMax && (kPfunSlots & (kPfunSlots - 1)) == 0,
              "slot count must be a power of two above twice the table");

// Bit of pfun_index::starts for a non-empty name.
size_t start_bit(const char* name) {
  unsigned a = static_cast<unsigned char>(name[0]);
  unsigned b = static_cast<unsigned char>(name[1]);
  return ((a << 4) ^ b ^ (a >> 6)) & 1023;
}

bool may_hold(const pfun_index& idx, size_t bit) {
  return (idx.starts[bit >> 6] >> (bit & 63)) & 1;
}

// Enters record `pos` unless an earlier record has its name.
void pfun_index_add(pfun_index& idx, const std::vector<pfun_info>& tab, int pos) {
  const std::string& name = tab[pos].name;
  if (!name.empty()) {
    size_t bit = start_bit(name.c_str());
    idx.starts[bit >> 6] |= uint64_t{1} << (bit & 63);
  }
  for (size_t i = hash_slot(name_hash(name), kPfunSlots - 1);; i = (i + 1) & (kPfunSlots - 1)) {
    int at = idx.slots[i];
    if (at == 0) {
      idx.slots[i] = static_cast<int16_t>(pos + 1);
      return;
    }
    if (tab[at - 1].name == name)
      return;
  }
}

void pfun_index_sync(pfun_index& idx, const std::vector<pfun_info>& tab, int count) {
  if (idx.count == count && !idx.slots.empty())
    return;
  idx.slots.assign(kPfunSlots, 0);
  std::fill(std::begin(idx.starts), std::end(idx.starts), 0);
  idx.count = 0;
  int n = std::min(count, static_cast<int>(tab.size()));
  for (int k = 0; k < n; ++k)
    pfun_index_add(idx, tab, k);
  idx.count = count;
}

pfun_info* pfun_find(pfun_index& idx, std::vector<pfun_info>& tab, int count, const char* name,
                     uint64_t hash, size_t len) {
  if (count <= 0)
    return nullptr;
  pfun_index_sync(idx, tab, count);
  for (size_t i = hash_slot(hash, kPfunSlots - 1);; i = (i + 1) & (kPfunSlots - 1)) {
    int at = idx.slots[i];
    if (at == 0)
      return nullptr;
    const std::string& s = tab[at - 1].name;
    if (s.size() == len && std::memcmp(s.data(), name, len) == 0)
      return &tab[at - 1];
  }
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
  if (!has_wildcard(name)) {
    // Without a wildcard the pattern matches exactly its own text. The
    // key is built in one reused string: a lookup per call site must not
    // cost an allocation.
    static std::string key;
    key.assign(name);
    auto it = g_tab.by_name.find(key);
    if (it == g_tab.by_name.end())
      return -1;
    const std::vector<int>& v = it->second;
    auto pos = std::lower_bound(v.begin(), v.end(), start);
    return pos == v.end() ? -1 : *pos;
  }
  for (int k = start; k < g_tab.fun_no; ++k) {
    if (match(name, g_tab.Finf[k]->name.c_str()))
      return k;
  }
  return -1;
}

pfun_info* ser_pfun(const char* name) {
  if (name == nullptr)
    return nullptr;
  if (name[0] != 0) {
    size_t bit = start_bit(name);
    bool maybe = false;
    if (g_tab.gfun_cnt > 0) {
      pfun_index_sync(g_tab.gfun_index, g_tab.Pfun_g, g_tab.gfun_cnt);
      maybe = may_hold(g_tab.gfun_index, bit);
    }
    if (!maybe && g_tab.lfun_cnt > 0) {
      pfun_index_sync(g_tab.lfun_index, g_tab.Pfun_l, g_tab.lfun_cnt);
      maybe = may_hold(g_tab.lfun_index, bit);
    }
    if (!maybe)
      return nullptr;
  }
  size_t len = 0;
  uint64_t h = name_hash(name, len);
  if (pfun_info* v = pfun_find(g_tab.gfun_index, g_tab.Pfun_g, g_tab.gfun_cnt, name, h, len))
    return v;
  return pfun_find(g_tab.lfun_index, g_tab.Pfun_l, g_tab.lfun_cnt, name, h, len);
}

pfun_info* add_pfun(bool global, const std::string& name, int kind) {
  std::vector<pfun_info>& tab = global ? g_tab.Pfun_g : g_tab.Pfun_l;
  int& cnt = global ? g_tab.gfun_cnt : g_tab.lfun_cnt;
  pfun_index& idx = global ? g_tab.gfun_index : g_tab.lfun_index;
  if (cnt >= kPfunMax || cnt >= static_cast<int>(tab.size()))
    return nullptr;
  pfun_index_sync(idx, tab, cnt);
  pfun_info& rec = tab[cnt];
  rec = pfun_info{};
  rec.name = name;
  rec.kind = static_cast<int8_t>(kind);
  pfun_index_add(idx, tab, cnt);
  idx.count = ++cnt;
  return &rec;
}

void new_fun_entry(int n, const std::string& name) {
  fun_group& f = g_tab.Fun;
  f.name[n] = name;
  f.arg_cnt[n] = 0;
  f.arg[n][0] = std::string();
}

int add_fun(int kind, const char* file, int line) {
  const opt_text& entry = g_tab.Fun.name[0];
  if (g_tab.fun_no >= kFunMax) {
    errmsg1("internal error; %s has been omitted by too many functions.\n",
            entry ? entry->c_str() : "");
    return 3;
  }
  if (!entry) {
    errmsg1("internal error; no function name\n");
    return 3;
  }
  const std::string name = *entry;
  if (file == nullptr)
    file = "";
  if (check_ignfun(name.c_str()) == 1)
    return 3;

  int16_t dup = 0;
  int n = ser_fun(name.c_str());
  if (n >= 0) {
    bool here = check_mfile(file) != 0;
    if (ser_fun_next(n + 1, name.c_str()) < 0) {
      fun_info& r = *g_tab.Finf[n];
      bool there = check_mfile(r.file.c_str()) != 0;
      if (there == here) {
        r.dup = 1;
        dup = 1;
        if (kind == 1)
          errmsg1("%s in \"%s\": multiple declaration\n", name, file);
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

  auto rec = std::make_unique<fun_info>();
  rec->no = g_tab.fun_no;
  rec->kind = static_cast<int16_t>(kind);
  rec->dup = dup;
  rec->file = file;
  rec->line = line;
  rec->name = name;
  rec->first_line = g_scan.line_org;
  std::fill(std::begin(rec->link), std::end(rec->link), int16_t{-1});
  int cnt = std::clamp<int>(g_tab.Fun.arg_cnt[0], 0, kArgMax);
  rec->arg_name.reserve(cnt);
  rec->arg_type.reserve(cnt);
  for (int j = 0; j < cnt; ++j) {
    rec->arg_name[j] = g_tab.Fun.arg[0][j];
    rec->arg_type[j] = g_tab.Fun.arg_type[0][j];
  }
  rec->arg_cnt = static_cast<int16_t>(cnt);

  index_add(name, rec->no);
  g_tab.Finf.push_back(std::move(rec));
  ++g_tab.fun_no;
  return 0;
}

int add_call(const char* caller, const char* callee, bool any_record) {
  // An empty name would find a displaced record, whose text is no longer
  // reachable by name; such a call belongs to nothing.
  if (caller == nullptr || callee == nullptr || *caller == 0 || *callee == 0)
    return -1;
  int a = ser_fun(caller);
  if (a < 0)
    return -1;
  int b = ser_fun(callee);
  if (b < 0) {
    b = extern_number(callee);
    if (b < 0)
      return -1;
  }
  // Pass 2 meets same-named definitions in pass 1's order, so the first one
  // not yet closed is the body being scanned.
  const int first = a;
  while (g_tab.Finf[a]->closed) {
    a = ser_fun_next(a + 1, caller);
    if (a < 0) {
      if (!any_record)
        return -1;
      a = first;
      break;
    }
  }
  fun_info& ra = *g_tab.Finf[a];
  if (a == b) {
    ra.kind = 2;
    return 0;
  }
  for (int i = 0; i < ra.callee_cnt; ++i) {
    if (ra.link[i] == b)
      return 0;
  }
  if (ra.callee_cnt + ra.caller_cnt >= kRelMax) {
    errmsg1("internal error; too many functions on %s\n", ra.name);
  } else {
    ra.link[ra.callee_cnt++] = static_cast<int16_t>(b);
  }
  // A callee with several definitions cannot tell which one is called, so
  // none of them records the caller.
  if (b < kExternBase && g_tab.Finf[b]->dup == 0) {
    fun_info& rb = *g_tab.Finf[b];
    if (rb.callee_cnt + rb.caller_cnt >= kRelMax) {
      errmsg1("internal error; too many many functions with %s\n", rb.name);
    } else {
      rb.link[kRelMax - rb.caller_cnt] = static_cast<int16_t>(a);
      ++rb.caller_cnt;
    }
  }
  return 0;
}

}  // namespace kavel
