// The walk written out as its shape rather than as texts: a tree of names
// that the list reader takes back (-t), or the same as a Graphviz DOT graph
// (-d).
#ifndef KAVEL_EXTRACT_TREE_WRITER_H_
#define KAVEL_EXTRACT_TREE_WRITER_H_

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "extract/call_walk.h"

namespace kavel {

// One tree per entry, written when the entry's walk ends. A line holds the
// drawing, the bracketed number path, the name and, in angle brackets, the
// file and line and what else the walk knows:
//   |   |-- [1.2.1] stack_push  <examples/stack.c:18>
// The list reader takes the word after the number and passes over the
// angle brackets, so a tree read back with -L names exactly the functions
// left in it. An excluded function gets its number at the end of the line
// instead, where the reader takes nothing from it, because the text walk
// does not print it either.
class tree_output : public walk_output {
 public:
  bool entry(const entry_result& r, walk_dir dir) override;
  void reach(fun_info& f, fun_info& by) override;
  void excluded(fun_info& f, fun_info& by) override;
  void leave() override;
  void again(fun_info& f, fun_info& by) override;
  void not_found(const std::string& name, fun_info& by) override;
  void multiple(fun_info& f, fun_info& by) override;
  void end_entry() override;

 private:
  struct node {
    std::string number;
    std::string body;
    bool number_last = false;
    std::vector<int> kids;
  };
  // Where a function was first shown, and whether it was excluded there.
  struct shown_at {
    std::string number;
    bool excluded = false;
  };
  // Adds a child of the current node; returns its index.
  int add(std::string body, bool number_last = false);
  shown_at& shown(const fun_info& f);
  // Fills `n` for a function shown before.
  void met_again(node& n, const fun_info& f);
  void write_line(const node& n) const;

  int entries_ = 0;
  std::vector<node> nodes_;         // the current entry's tree, root first
  std::vector<int> path_;           // the nodes entered, root first
  std::vector<shown_at> shown_;     // by record number
};

// The walk as one DOT digraph: a node per function, with its file and line,
// an edge per call in walk order. Macros, names defined nowhere, names
// defined in several files and excluded functions are drawn apart.
class dot_output : public walk_output {
 public:
  dot_output();
  ~dot_output() override;
  bool entry(const entry_result& r, walk_dir dir) override;
  void reach(fun_info& f, fun_info& by) override;
  void excluded(fun_info& f, fun_info& by) override;
  void leave() override {}
  void again(fun_info& f, fun_info& by) override;
  void not_found(const std::string& name, fun_info& by) override;
  void multiple(fun_info& f, fun_info& by) override;

 private:
  void node(const std::string& id, const std::string& attributes);
  void fun_node(const fun_info& f, const char* extra = "");
  void missing_node(const std::string& name);
  void multiple_node(const std::string& name);
  void edge(const std::string& caller, const std::string& callee);
  // Edge between `by` and the function `id` met from it.
  void call(const std::string& id, const fun_info& by);

  walk_dir dir_ = walk_dir::below;
  std::set<std::string> nodes_;
  std::set<std::pair<std::string, std::string>> edges_;
};

}  // namespace kavel

#endif  // KAVEL_EXTRACT_TREE_WRITER_H_
