// Copies function texts back out of their source files. The scanner recorded
// exact byte offsets, so the copy seeks to the header line and reads lines
// until the reader's position passes the recorded end. The comment block
// above a header is found by reading the file backwards from the header in
// small pieces, because the block is usually a few lines just above it and
// the region before it may be long.
#include "extract/body_printer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/message_texts.h"
#include "support/messages.h"
#include "support/options.h"
#include "support/str_list.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/pattern.h"

namespace kavel {

print_state g_print;

void reset_printer() {
  g_print.text_fp.close();
  g_print.text_file.clear();
  reset_walk();
}

namespace {

// Bytes read per step of the backward comment scan.
constexpr long long kBackPiece = 1024;

// The text of [top, head) of a file, loaded backwards from `head` on demand
// and kept reversed: index 0 is the byte just before `head`, so indices stay
// put when an earlier piece arrives. A CR directly before an LF is dropped,
// so a CR LF file yields the same text as its LF twin.
class back_text {
 public:
  back_text(line_reader& file, long long head, long long top) : file_(file), top_(top), lo_(head) {}

  // True when reversed index `r` lies inside the region, loading as needed.
  bool valid(long long r) {
    while (r >= static_cast<long long>(rev_.size())) {
      if (!load())
        return false;
    }
    return r >= 0;
  }
  char at(long long r) const { return rev_[static_cast<size_t>(r)]; }

  // The text from reversed index `from` (earliest in the file) down to `to`
  // (latest), in file order; empty when from < to.
  std::string line(long long from, long long to) const {
    std::string s;
    for (long long r = from; r >= to; r--)
      s += at(r);
    return s;
  }

 private:
  bool load() {
    if (lo_ <= top_)
      return false;
    long long n = std::min(kBackPiece, lo_ - top_);
    char piece[kBackPiece];
    long long got = file_.read_raw(lo_ - n, piece, n);
    if (got != n) {
      // The file is shorter than the offsets say: treat what lies beyond
      // it as the region's start.
      top_ = lo_;
      return false;
    }
    lo_ -= n;
    for (long long i = n - 1; i >= 0; i--) {
      char c = piece[i];
      if (c == '\r' && next_is_lf_) {
        next_is_lf_ = false;
        continue;
      }
      next_is_lf_ = c == '\n';
      rev_ += c;
    }
    return true;
  }

  line_reader& file_;
  long long top_;
  long long lo_;             // file offset of the earliest byte loaded
  bool next_is_lf_ = false;  // the byte at lo_ is an LF
  std::string rev_;
};

bool is_blank(char c) {
  return c == '\n' || c == ' ' || c == '\t';
}

// A comment opening "/*" whose '/' sits at reversed index r.
bool opening_at(back_text& t, long long r, long long floor) {
  return r - 1 >= floor && t.valid(r) && t.at(r) == '/' && t.at(r - 1) == '*';
}

// Collects the comment block that ends last before the region's end, bottom
// line first, into `lines`.
void collect_lead_comment(back_text& t, name_list* lines) {
  // The last "*/" wholly inside the region; reversed, its '/' comes first.
  long long end = 0;
  for (;; end++) {
    if (!t.valid(end + 1))
      return;
    if (t.at(end) == '/' && t.at(end + 1) == '*')
      break;
  }
  long long cut = end;  // last character of the line being gathered
  long long block_start = -1;
  for (long long j = end;; j++) {
    if (!t.valid(j))
      return;  // start reached without an opening
    if (t.at(j) == '\n') {
      add_name(lines, t.line(j - 1, cut).c_str());
      cut = j + 1;
      continue;
    }
    if (!opening_at(t, j, end))
      continue;
    long long p = j;
    // What stands above this opening: skip blank space, then look along the
    // nearest line that holds anything for another opening.
    long long k = p + 1;
    while (t.valid(k) && is_blank(t.at(k)))
      k++;
    bool above = false;
    while (t.valid(k) && t.at(k) != '\n') {
      if (opening_at(t, k, end)) {
        above = true;
        break;
      }
      k++;
    }
    if (above) {
      block_start = k;
      continue;
    }
    add_name(lines, t.line(block_start >= 0 ? block_start : p, cut).c_str());
    return;
  }
}

// Copies the record's text; the file is already current.
void copy_text(fun_info& f) {
  line_reader& in = g_print.text_fp;
  in.seek(f.head_pos());
  char piece[kLinePiece + 1];
  for (;;) {
    int n = in.read(piece);
    if (n < 0)
      break;
    std::fwrite(piece, 1, static_cast<size_t>(n), stdout);
    if (in.pos() >= f.end_pos())
      break;
  }
  std::fputs("\n", stdout);
}

// Makes `file` the file copied from; false (and no file current) when it
// cannot be opened.
bool select_file(const char* file) {
  if (g_print.text_fp.is_open() && file == g_print.text_file)
    return true;
  g_print.text_fp.close();
  g_print.text_file.clear();
  if (!g_print.text_fp.open(file)) {
    errmsg1(kMsgNotFound, file);
    return false;
  }
  if (g_opt.file_flag)
    std::printf("/* File: %s */\n", file);
  g_print.text_file = file;
  return true;
}

}  // namespace

int print_record(fun_info& f, const fun_info* by, walk_dir dir) {
  if (f.top_pos() == f.end_pos()) {
    errmsg1(kMsgNoneStatement, f.name.c_str());
    return -1;
  }
  if (f.printed)
    return f.no;
  if (!select_file(f.file.c_str()))
    return -1;
  if (by && g_opt.caller_flag) {
    if (dir == walk_dir::above) {
      std::printf("/* Calls: %s */\n", by->name.c_str());
    } else {
      std::printf("/* Called by: %s */\n", by->name.c_str());
    }
  }
  if (g_opt.lead_flag || f.head_pos() == -1) {
    f.set_head_pos(f.top_pos());
  } else {
    print_lead_comment(g_print.text_fp, f.head_pos(), f.top_pos());
  }
  copy_text(f);
  f.printed = 1;
  return f.no;
}

bool report_entry(const entry_result& r) {
  switch (r.kind) {
    case entry_result::found:
      return true;
    case entry_result::not_found:
      errmsg1(kMsgNotFound, r.written);
      break;
    case entry_result::multiple:
      errmsg1(kMsgMultipleFunction, r.written, r.fun->file.c_str());
      break;
    case entry_result::not_in_file:
      errmsg1(kMsgNotFoundIn, r.written, r.file_part);
      break;
    case entry_result::unfinished:
      errmsg1(kMsgNoneStatement, r.fun->name.c_str());
      break;
  }
  return false;
}

bool text_output::entry(const entry_result& r, walk_dir dir) {
  dir_ = dir;
  return report_entry(r) && print_record(*r.fun, nullptr, dir) >= 0;
}

void text_output::reach(fun_info& f, fun_info& by) {
  print_record(f, &by, dir_);
}

void text_output::not_found(const std::string& name, fun_info&) {
  errmsg1(kMsgNotFound, name);
}

void text_output::multiple(fun_info& f, fun_info&) {
  errmsg1(kMsgMultipleFunction, f.name.c_str(), f.file.c_str());
}

int print_fun(int caller, const char* name) {
  int first = -1;
  for (const entry_result& r : resolve_entry(name)) {
    int printed = report_entry(r) ? print_record(*r.fun, fun_record(caller), walk_dir::below) : -1;
    if (first < 0)
      first = printed;
  }
  return first;
}

int print_fun_below(const char* name) {
  text_output out;
  return walk_entry(std::string("@") + name, out);
}

void print_lead_comment(line_reader& file, long long head_pos, long long top_pos) {
  if (head_pos <= top_pos)
    return;
  back_text text(file, head_pos, top_pos);
  name_list lines;
  name_init(&lines);
  // Equal lines (a row of "*" rules, say) must all be kept.
  lines.dup_check = false;
  collect_lead_comment(text, &lines);
  for (const char* s = get_name(&lines, -1); s; s = get_name(&lines, 1)) {
    std::printf("%s\n", s);
  }
  del_allname(&lines);
}

}  // namespace kavel
