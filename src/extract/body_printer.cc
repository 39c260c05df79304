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

#include "extract/ignore_list.h"
#include "extract/pattern.h"
#include "support/messages.h"
#include "support/options.h"
#include "support/str_list.h"
#include "tables/fun_table.h"

namespace kavel {

print_state g_print;

void reset_printer() {
  g_print.text_fp.close();
  g_print.text_file.clear();
}

namespace {

// Bytes read per step of the backward comment scan.
constexpr long long kBackPiece = 1024;

fun_info* record(int no) {
  if (no < 0 || no >= g_tab.fun_no || no >= static_cast<int>(g_tab.Finf.size()))
    return nullptr;
  return &g_tab.Finf[no];
}

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
void collect_lead_comment(back_text& t, name_node* lines) {
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
  in.seek(f.head_pos);
  char piece[kLinePiece + 1];
  for (;;) {
    int n = in.read(piece);
    if (n < 0)
      break;
    std::fwrite(piece, 1, static_cast<size_t>(n), stdout);
    if (in.pos() >= f.end_pos)
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
    errmsg1("\"%s\": not found\n", file);
    return false;
  }
  if (g_opt.file_flag)
    std::printf("/* File: %s */\n", file);
  g_print.text_file = file;
  return true;
}

}  // namespace

namespace {

// Prints record f, reached from record `caller` (-1: asked for by name).
// Returns its number, also when it was printed before; -1 when nothing
// could be printed.
int print_record(int caller, fun_info& f) {
  if (f.top_pos == f.end_pos) {
    errmsg1("internal error; %s is none statement\n", f.name.c_str());
    return -1;
  }
  if (f.printed)
    return f.no;
  if (!select_file(f.file.c_str()))
    return -1;
  fun_info* by = record(caller);
  if (by && g_opt.caller_flag)
    std::printf("/* Called by: %s */\n", by->name.c_str());
  if (g_opt.lead_flag || f.head_pos == -1) {
    f.head_pos = f.top_pos;
  } else {
    print_lead_comment(g_print.text_fp, f.head_pos, f.top_pos);
  }
  copy_text(f);
  f.printed = 1;
  return f.no;
}

// The records `name` (pattern form, optionally "file#" before it) asks
// for, in file order: its definition, the alternatives of one file, or
// with "file#" those in that file. Empty, after the message, when none.
std::vector<int> requested_records(const char* name) {
  std::string file_part;
  const char* pattern = name;
  const char* hash = std::strchr(name, '#');
  bool has_file = hash != nullptr;
  if (has_file) {
    file_part.assign(name, hash);
    pattern = hash + 1;
  }
  int no = ser_fun(pattern);
  fun_info* f = record(no);
  if (!f) {
    errmsg1("\"%s\": not found\n", org_search_str(pattern));
    return {};
  }
  if (!f->dup)
    return {no};
  if (!has_file) {
    std::vector<int> alternatives = reached_records(-1, no);
    if (alternatives.empty())
      errmsg1("%s in \"%s\": multiple function\n", org_search_str(pattern), f->file.c_str());
    return alternatives;
  }
  if (f->file != file_part)
    f = record(ser_fun_in_file(file_part, pattern));
  if (!f) {
    // org_search_str answers in one buffer, so keep the first answer.
    std::string written = org_search_str(pattern);
    errmsg1("%s in \"%s\": not found\n", written, org_search_str(file_part.c_str()));
    return {};
  }
  // A call from the definition found reaches the others of its file.
  return reached_records(f->no, f->no);
}

// Prints, depth first, everything below `top`, which is printed.
void print_below(fun_info* top) {
  top->printed = 1;
  // The path from the root to the current function, each with the
  // alternative its current callee has reached. It lives on the heap, so
  // however deep the calls go the walk cannot run out of stack.
  struct step {
    fun_info* rec;
    size_t alt;
  };
  std::vector<step> path{{top, 0}};
  for (;;) {
    step& at = path.back();
    fun_info& cur = *at.rec;
    uint32_t& next_callee = walk_cursor(cur.no);
    int c = next_callee < cur.callees.size() ? cur.callees[next_callee] : -1;
    if (c == -1) {
      path.pop_back();
      if (path.empty())
        return;
      path.back().alt++;
      continue;
    }
    if (c >= kExternBase) {
      size_t e = static_cast<size_t>(c - kExternBase);
      if (e < g_tab.ext_names.size())
        errmsg1("\"%s\": not found\n", ext_name(e));
      next_callee++;
      continue;
    }
    fun_info* callee = record(c);
    if (!callee) {
      next_callee++;
      continue;
    }
    // A name's alternatives, or its definitions in the caller's file, come
    // as consecutive callees, each printed and walked below.
    std::vector<int> reached = reached_records(cur.no, c);
    if (reached.empty())
      errmsg1("%s in \"%s\": multiple function\n", callee->name.c_str(), callee->file.c_str());
    if (at.alt >= reached.size()) {
      at.alt = 0;
      next_callee++;
      continue;
    }
    fun_info* next = record(reached[at.alt]);
    if (!next->printed) {
      if (!check_ignfun(next->name.c_str()))
        print_record(cur.no, *next);
      next->printed = 1;
      path.push_back({next, 0});
      continue;
    }
    at.alt++;
  }
}

}  // namespace

int print_fun(int caller, const char* name) {
  int first = -1;
  for (int no : requested_records(name)) {
    int printed = print_record(caller, *record(no));
    if (first < 0)
      first = printed;
  }
  return first;
}

int print_fun_below(const char* name) {
  int first = -1;
  for (int no : requested_records(name)) {
    fun_info* top = record(no);
    int printed = print_record(-1, *top);
    if (printed >= 0)
      print_below(top);
    if (first < 0)
      first = printed;
  }
  return first;
}

void print_lead_comment(line_reader& file, long long head_pos, long long top_pos) {
  if (head_pos <= top_pos)
    return;
  back_text text(file, head_pos, top_pos);
  name_node lines;
  name_init(&lines);
  // Equal lines (a row of "*" rules, say) must all be kept.
  name_lst_dup_check = 0;
  collect_lead_comment(text, &lines);
  for (const char* s = get_name(&lines, -1); s; s = get_name(&lines, 1)) {
    std::printf("%s\n", s);
  }
  del_allname(&lines);
}

}  // namespace kavel
