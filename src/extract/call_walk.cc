// The walk keeps the path from the entry's function to the current one on
// the heap, so however deep the calls go it cannot run out of stack. A
// function is entered once per run: the record's `printed` mark says it was
// met, and its cursor into the callees stays where the walk left it, so a
// later entry that starts from a function walked before finds nothing new
// below it.
#include "extract/call_walk.h"

#include <cstring>
#include <vector>

#include "tables/ignore_list.h"
#include "tables/pattern.h"

namespace kavel {

namespace {

// Positions among each record's callers, for walks upward.
std::vector<int> g_caller_next;

// One function on the walk's path, with the definition its current callee
// has reached: a called name may reach several (alternatives in one file,
// or the definitions in the caller's file), walked one after the other.
struct on_path {
  fun_info* rec;
  size_t alt;
  std::vector<int> reached;  // what the current callee reaches, made at its first
};

// The next record number related to `f` in direction `dir`, or -1 when all
// have been met. Below, the cursor stays on the callee until its
// definitions have all been met; above, it moves on.
int next_relation(fun_info& f, walk_dir dir) {
  if (dir == walk_dir::below) {
    uint32_t k = walk_cursor(f.no);
    return k < f.callees().size() ? f.callees()[k] : -1;
  }
  if (g_caller_next.size() <= static_cast<size_t>(f.no))
    g_caller_next.resize(static_cast<size_t>(f.no) + 1, 0);
  int& k = g_caller_next[static_cast<size_t>(f.no)];
  if (k >= static_cast<int>(f.callers().size()))
    return -1;
  return f.callers()[static_cast<size_t>(k++)];
}

// Tells `out` that `f` is met from `cur`, and enters it on `path` when it
// was not met before.
void meet(std::vector<on_path>& path, fun_info& f, fun_info& cur, walk_output& out) {
  if (f.printed) {
    out.again(f, cur);
    return;
  }
  if (check_ignfun(f.name.c_str())) {
    out.excluded(f, cur);
  } else {
    out.reach(f, cur);
  }
  f.printed = 1;
  path.push_back({&f, 0, {}});
}

// The definition the current callee of `at` reaches next, or null when it
// reaches no more (the cursor then moves to the next callee). A name that
// reaches none is reported as defined in several files.
fun_info* next_reached(on_path& at, fun_info& callee, walk_output& out) {
  fun_info& cur = *at.rec;
  if (!callee.dup) {
    // Nearly every callee: a name defined once reaches that definition
    // alone, with no list to make.
    if (at.alt == 0) {
      at.alt = 1;
      return &callee;
    }
    at.alt = 0;
    walk_cursor(cur.no)++;
    return nullptr;
  }
  if (at.alt == 0) {
    at.reached = reached_records(cur.no, callee.no);
    if (at.reached.empty())
      out.multiple(callee, cur);
  }
  if (at.alt >= at.reached.size()) {
    at.alt = 0;
    walk_cursor(cur.no)++;
    return nullptr;
  }
  return fun_record(at.reached[at.alt++]);
}

// Tells `out` about the next function met from the top of `path`; false
// when there is none left. A function entered is pushed on `path`.
bool step(std::vector<on_path>& path, walk_dir dir, walk_output& out) {
  fun_info& cur = *path.back().rec;
  int c = next_relation(cur, dir);
  if (c == -1)
    return false;
  if (c >= kExternBase) {
    size_t e = static_cast<size_t>(c - kExternBase);
    if (e < g_tab.ext_names.size())
      out.not_found(ext_name(e), cur);
    walk_cursor(cur.no)++;  // only callees are numbered so
    return true;
  }
  fun_info* f = fun_record(c);
  if (dir == walk_dir::below) {
    if (f == nullptr) {
      walk_cursor(cur.no)++;
      return true;
    }
    // A caller is a definition itself; only a called name can reach several.
    f = next_reached(path.back(), *f, out);
  }
  if (f != nullptr)
    meet(path, *f, cur, out);
  return true;
}

void walk_from(fun_info& top, walk_dir dir, walk_output& out) {
  std::vector<on_path> path{{&top, 0, {}}};
  for (;;) {
    if (step(path, dir, out))
      continue;
    path.pop_back();
    if (path.empty())
      return;
    out.leave();
  }
}

// The entry's outcome for a record found by name.
entry_result found_entry(fun_info* f) {
  entry_result r;
  r.fun = f;
  r.kind = f->top_pos() == f->end_pos() ? entry_result::unfinished : entry_result::found;
  return r;
}

// The definition of `pattern` from `first` on whose "file:line" is
// `place`: several definitions of a name in one file (#if branches, say)
// are told apart by their line, as a call tree writes them.
fun_info* at_line(fun_info* first, const std::string& place, const char* pattern) {
  size_t colon = place.rfind(':');
  if (colon == std::string::npos || colon + 1 == place.size() ||
      place.find_first_not_of("0123456789", colon + 1) != std::string::npos)
    return nullptr;
  std::string file = place.substr(0, colon);
  std::string line = place.substr(colon + 1);
  for (fun_info* f = first; f; f = fun_record(ser_fun_next(f->no + 1, pattern))) {
    if (f->file == file && std::to_string(f->line) == line)
      return f;
  }
  return nullptr;
}

}  // namespace

fun_info* fun_record(int no) {
  if (no < 0 || no >= g_tab.fun_no || no >= static_cast<int>(g_tab.Finf.size()))
    return nullptr;
  return &g_tab.Finf[no];
}

std::vector<entry_result> resolve_entry(const char* name) {
  std::string file_part;
  const char* pattern = name;
  const char* hash = std::strchr(name, '#');
  bool has_file = hash != nullptr;
  if (has_file) {
    file_part.assign(name, hash);
    pattern = hash + 1;
  }
  // Only a message about an entry that names nothing shows it as written:
  // a long list of found names needs no written forms.
  auto failed = [&](entry_result::kind_t kind, fun_info* f) {
    entry_result r;
    r.kind = kind;
    r.fun = f;
    r.written = org_search_str(pattern);
    if (has_file)
      r.file_part = org_search_str(file_part.c_str());
    return std::vector<entry_result>{r};
  };
  fun_info* first = fun_record(ser_fun(pattern));
  if (!first)
    return failed(entry_result::not_found, nullptr);
  std::vector<int> named{first->no};
  if (first->dup && !has_file) {
    named = reached_records(-1, first->no);
  } else if (first->dup) {
    fun_info* f =
        first->file == file_part ? first : fun_record(ser_fun_in_file(file_part, pattern));
    if (f) {
      // A call from the definition found reaches the others of its file.
      named = reached_records(f->no, f->no);
    } else if ((f = at_line(first, file_part, pattern)) != nullptr) {
      named = {f->no};
    } else {
      named.clear();
    }
  }
  if (named.empty())
    return failed(has_file ? entry_result::not_in_file : entry_result::multiple, first);
  std::vector<entry_result> found;
  found.reserve(named.size());
  for (int no : named)
    found.push_back(found_entry(fun_record(no)));
  return found;
}

int walk_entry(const std::string& entry, walk_output& out) {
  walk_dir dir = walk_dir::none;
  const char* name = entry.c_str();
  if (name[0] == '@') {
    dir = walk_dir::below;
    name++;
  } else if (name[0] == '^') {
    dir = walk_dir::above;
    name++;
  }
  int taken = -1;
  for (const entry_result& r : resolve_entry(name)) {
    bool go = out.entry(r, dir);
    if (r.kind == entry_result::found && go) {
      if (taken < 0)
        taken = r.fun->no;
      r.fun->printed = 1;
      if (dir != walk_dir::none)
        walk_from(*r.fun, dir, out);
    }
    out.end_entry();
  }
  return taken;
}

void walk_forest(walk_output& out) {
  for (int k = 0; k < g_tab.fun_no; k++) {
    fun_info* f = fun_record(k);
    // The listing's functions are the forest's roots: macros are not
    // listed, and a record with no name was displaced.
    if (!f || f->kind == 1 || f->name.empty() || !f->callers().empty())
      continue;
    entry_result r = found_entry(f);
    if (out.entry(r, walk_dir::below) && r.kind == entry_result::found) {
      f->printed = 1;
      walk_from(*f, walk_dir::below, out);
    }
    out.end_entry();
  }
}

void reset_walk() {
  g_caller_next.clear();
}

}  // namespace kavel
