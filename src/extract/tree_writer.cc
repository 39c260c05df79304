// Trees are kept whole until their entry ends, because a line's drawing
// depends on whether a later sibling follows it. They are kept flat (nodes
// by index) and written without recursion, as the walk itself has no depth
// limit.
#include "extract/tree_writer.h"

#include <cstdio>

namespace kavel {

namespace {

std::string str(text_ref t) { return std::string(t.view()); }
std::string str(file_id t) { return std::string(t.view()); }

// The name as a list entry: "file#name" where the name has several
// definitions, so that reading it back picks this one, and "file:line#name"
// where several of them lie in this file.
std::string list_name(const fun_info& f) {
  if (!f.dup)
    return str(f.name);
  int here = 0;
  if (const name_records* records = g_tab.by_name.find(f.name.view())) {
    for (int k : records->recs) {
      const fun_info* r = fun_record(k);
      here += r && r->file == f.file ? 1 : 0;  // one number for one file name
    }
  }
  if (here > 1)
    return str(f.file) + ":" + std::to_string(f.line) + "#" + str(f.name);
  return str(f.file) + "#" + str(f.name);
}

std::string place(const fun_info& f) {
  std::string s = str(f.file) + ":" + std::to_string(f.line);
  if (f.kind == 1)
    s += ", macro";
  return s;
}

// The written form of an entry that named no single function.
std::string failed_entry(const entry_result& r) {
  switch (r.kind) {
    case entry_result::not_found:
      return (r.file_part.empty() ? "" : r.file_part + "#") + r.written + "  <not found>";
    case entry_result::multiple:
      return r.written + "  <multiple function>";
    case entry_result::not_in_file:
      return r.file_part + "#" + r.written + "  <not found>";
    default:
      return list_name(*r.fun) + "  <" + place(*r.fun) + ", no text>";
  }
}

}  // namespace

bool tree_output::entry(const entry_result& r, walk_dir) {
  nodes_.clear();
  path_.clear();
  nodes_.push_back(node{std::to_string(++entries_), "", false, {}});
  path_.push_back(0);
  if (r.kind != entry_result::found) {
    nodes_[0].body = failed_entry(r);
    return false;
  }
  fun_info& f = *r.fun;
  if (f.printed) {
    met_again(nodes_[0], f);
  } else {
    nodes_[0].body = list_name(f) + "  <" + place(f) + ">";
    shown(f) = shown_at{nodes_[0].number, false};
  }
  return true;
}

tree_output::shown_at& tree_output::shown(const fun_info& f) {
  if (shown_.size() <= static_cast<size_t>(f.no))
    shown_.resize(static_cast<size_t>(f.no) + 1);
  return shown_[static_cast<size_t>(f.no)];
}

void tree_output::met_again(node& n, const fun_info& f) {
  const shown_at& at = shown(f);
  std::string marks = place(f);
  // What the text walk passed over unprinted stays unprinted when read back.
  if (at.excluded)
    marks += ", excluded";
  if (!at.number.empty())
    marks += ", see " + at.number;
  n.body = list_name(f) + "  <" + marks + ">";
  n.number_last = at.excluded;
}

int tree_output::add(std::string body, bool number_last) {
  int parent = path_.back();
  node n;
  n.number = nodes_[static_cast<size_t>(parent)].number + "." +
             std::to_string(nodes_[static_cast<size_t>(parent)].kids.size() + 1);
  n.body = std::move(body);
  n.number_last = number_last;
  int k = static_cast<int>(nodes_.size());
  nodes_.push_back(std::move(n));
  nodes_[static_cast<size_t>(parent)].kids.push_back(k);
  return k;
}

void tree_output::reach(fun_info& f, fun_info&) {
  int k = add(list_name(f) + "  <" + place(f) + ">");
  shown(f) = shown_at{nodes_[static_cast<size_t>(k)].number, false};
  path_.push_back(k);
}

void tree_output::excluded(fun_info& f, fun_info& by) {
  reach(f, by);
  node& n = nodes_[static_cast<size_t>(path_.back())];
  n.body.insert(n.body.size() - 1, ", excluded");
  n.number_last = true;
  shown(f).excluded = true;
}

void tree_output::leave() {
  path_.pop_back();
}

void tree_output::again(fun_info& f, fun_info&) {
  int k = add("");
  met_again(nodes_[static_cast<size_t>(k)], f);
}

void tree_output::not_found(const std::string& name, fun_info&) {
  add(name + "  <not found>");
}

void tree_output::multiple(fun_info& f, fun_info&) {
  add(str(f.name) + "  <multiple function>");
}

void tree_output::write_line(const node& n) const {
  if (n.number_last) {
    std::printf("%s  [%s]\n", n.body.c_str(), n.number.c_str());
  } else {
    std::printf("[%s] %s\n", n.number.c_str(), n.body.c_str());
  }
}

void tree_output::end_entry() {
  if (nodes_.empty())
    return;
  write_line(nodes_[0]);
  struct frame {
    int node;
    size_t next;
  };
  std::vector<frame> stack{{0, 0}};
  std::string prefix;
  while (!stack.empty()) {
    frame& fr = stack.back();
    const node& n = nodes_[static_cast<size_t>(fr.node)];
    if (fr.next == n.kids.size()) {
      stack.pop_back();
      if (!stack.empty())
        prefix.resize(prefix.size() - 4);
      continue;
    }
    int k = n.kids[fr.next++];
    bool last = fr.next == n.kids.size();
    std::fputs(prefix.c_str(), stdout);
    std::fputs(last ? "`-- " : "|-- ", stdout);
    write_line(nodes_[static_cast<size_t>(k)]);
    prefix += last ? "    " : "|   ";
    stack.push_back(frame{k, 0});
  }
  nodes_.clear();
  path_.clear();
}

namespace {

// Text inside a DOT string: '"' and '\' escaped.
std::string escaped(const std::string& s) {
  std::string q;
  for (char c : s) {
    if (c == '"' || c == '\\')
      q += '\\';
    q += c;
  }
  return q;
}

std::string quoted(const std::string& s) {
  return "\"" + escaped(s) + "\"";
}

// A label of two lines.
std::string label(const std::string& first, const std::string& second) {
  return "label=\"" + escaped(first) + "\\n" + escaped(second) + "\"";
}

}  // namespace

dot_output::dot_output() {
  std::printf("digraph calls {\n  node [shape=box];\n");
}

dot_output::~dot_output() {
  std::printf("}\n");
}

void dot_output::node(const std::string& id, const std::string& attributes) {
  if (nodes_.insert(id).second)
    std::printf("  %s [%s];\n", quoted(id).c_str(), attributes.c_str());
}

void dot_output::fun_node(const fun_info& f, const char* extra) {
  std::string attributes = label(str(f.name), str(f.file) + ":" + std::to_string(f.line));
  if (f.kind == 1)
    attributes += ", shape=ellipse";
  node(list_name(f), attributes + extra);
}

void dot_output::edge(const std::string& caller, const std::string& callee) {
  if (edges_.insert({caller, callee}).second)
    std::printf("  %s -> %s;\n", quoted(caller).c_str(), quoted(callee).c_str());
}

void dot_output::call(const std::string& id, const fun_info& by) {
  if (dir_ == walk_dir::above) {
    edge(id, list_name(by));
  } else {
    edge(list_name(by), id);
  }
}

bool dot_output::entry(const entry_result& r, walk_dir dir) {
  dir_ = dir;
  switch (r.kind) {
    case entry_result::found:
      fun_node(*r.fun);
      return true;
    case entry_result::not_found:
    case entry_result::not_in_file:
      missing_node(r.written);
      return false;
    case entry_result::multiple:
      multiple_node(r.written);
      return false;
    case entry_result::unfinished:
      fun_node(*r.fun, ", style=dashed");
      return false;
  }
  return false;
}

void dot_output::missing_node(const std::string& name) {
  node(name, label(name, "not found") + ", shape=plaintext, fontcolor=gray40");
}

void dot_output::multiple_node(const std::string& name) {
  node(name, label(name, "multiple function") + ", style=dashed");
}

void dot_output::reach(fun_info& f, fun_info& by) {
  fun_node(f);
  call(list_name(f), by);
}

void dot_output::excluded(fun_info& f, fun_info& by) {
  fun_node(f, ", style=dotted");
  call(list_name(f), by);
}

void dot_output::again(fun_info& f, fun_info& by) {
  fun_node(f);
  call(list_name(f), by);
}

void dot_output::not_found(const std::string& name, fun_info& by) {
  missing_node(name);
  call(name, by);
}

void dot_output::multiple(fun_info& f, fun_info& by) {
  multiple_node(str(f.name));
  call(str(f.name), by);
}

}  // namespace kavel
