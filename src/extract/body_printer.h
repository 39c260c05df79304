// Prints the text of requested functions: the comment block above each, the
// lines from its header to its closing brace, and with '@' everything below
// it in the call tree, each function once. Offsets are exact byte positions,
// so LF and CR LF files print the same text.
#ifndef KAVEL_EXTRACT_BODY_PRINTER_H_
#define KAVEL_EXTRACT_BODY_PRINTER_H_

#include <memory>
#include <string>
#include <string_view>

#include "extract/call_walk.h"

namespace kavel {

// Reads spans of one source file through a buffer kept between reads.
// Printing goes wherever the records point (a walk jumps up and down a file
// as the calls go), so a read brings in just the span a function needs;
// only when spans keep going on from the one held, as when functions print
// in file order, does it read ahead.
class text_window {
 public:
  text_window() = default;
  text_window(const text_window&) = delete;
  text_window& operator=(const text_window&) = delete;
  ~text_window() { close(); }

  // False (errno saying why) when `path` cannot be opened or is a folder.
  bool open(const char* path);
  void close();
  bool is_open() const { return fd_ >= 0; }
  // The bytes [lo, hi) of the file, fewer where the file ends first; good
  // until the next call.
  std::string_view span(long long lo, long long hi);
  // Copies the `n` bytes from `lo` on into `out` without moving the
  // window; the number copied, fewer where the file ends first.
  size_t read(long long lo, size_t n, char* out);

 private:
  size_t fill(long long lo, size_t n, char* out);

  int fd_ = -1;
  std::unique_ptr<char[]> buf_;  // not cleared first: only bytes read are used
  size_t cap_ = 0;
  size_t len_ = 0;  // bytes held, from file offset base_
  long long base_ = 0;
  long long end_ = -1;  // the file's end once a read has met it
  int run_ = 0;         // reads in a row that went on from the span held
};

// The files copied from lately, each kept open with its window: a walk goes
// back and forth between a few files, which would otherwise be opened again
// at every turn and lose what was read of them.
struct print_state {
  static constexpr int kKept = 8;
  text_window windows[kKept];
  std::string names[kKept];                  // the file of each window; empty when none
  unsigned long long last_used[kKept] = {};  // when each was current last
  unsigned long long clock = 0;
  text_window* text = nullptr;  // the window of the file copied from, or null
  std::string text_file;        // its name; empty when none is current
};
extern print_state g_print;
void reset_printer();

// The walk written out as function texts: each function once, with
// "Called by" (below) or "Calls" (above) with -u; names the walk could not
// enter are reported on standard error.
class text_output : public walk_output {
 public:
  bool entry(const entry_result& r, walk_dir dir) override;
  void reach(fun_info& f, fun_info& by) override;
  void excluded(fun_info&, fun_info&) override {}
  void leave() override {}
  void again(fun_info&, fun_info&) override {}
  void not_found(const std::string& name, fun_info& by) override;
  void multiple(fun_info& f, fun_info& by) override;

 private:
  walk_dir dir_ = walk_dir::none;
};

// Reports an entry that names no single function; true when it does.
bool report_entry(const entry_result& r);
// Prints the text of `f` unless it was printed before, saying through which
// function `by` a walk in direction `dir` reached it. Returns its number, -1
// when its file cannot be read.
int print_record(fun_info& f, const fun_info* by, walk_dir dir);
// Prints the function `name` (pattern form, optionally "file#" before it),
// or each of its alternatives in one file. `caller` is the number through
// which the walk reached it, or -1. Returns the first number printed (also
// when it was printed before and nothing is printed now), -1 when nothing
// could be printed.
int print_fun(int caller, const char* name);
// Prints `name` (pattern form, no '@') and, depth first, everything below
// it. Returns what print_fun would return for `name` itself.
int print_fun_below(const char* name);
// Prints the comment block of `file` that ends last before head_pos, looking
// back no further than top_pos.
void print_lead_comment(text_window& file, long long head_pos, long long top_pos);

}  // namespace kavel

#endif  // KAVEL_EXTRACT_BODY_PRINTER_H_
