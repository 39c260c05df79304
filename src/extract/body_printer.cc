// Copies function texts back out of their source files. The scanner recorded
// exact byte offsets, so the copy starts at the header line and goes on line
// by line until it passes the recorded end. The comment block above a header
// is found by reading the file backwards from the header in growing pieces,
// because the block is usually a few lines just above it and the region
// before it may be long.
#include "extract/body_printer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scanner/line_reader.h"
#include "support/message_texts.h"
#include "support/messages.h"
#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/pattern.h"

namespace kavel {

print_state g_print;

void reset_printer() {
  for (int k = 0; k < print_state::kKept; k++) {
    g_print.windows[k].close();
    g_print.names[k].clear();
    g_print.last_used[k] = 0;
  }
  g_print.text = nullptr;
  g_print.text_file.clear();
  reset_walk();
}

namespace {
// What a read takes in when printing goes on in file order.
constexpr size_t kReadAhead = 64 * 1024;
// How far above a header the first read reaches, for its comment block.
constexpr long long kLeadLook = 4096;
// The first piece of the backward comment scan; each later one doubles.
constexpr size_t kBackPiece = 1024;
}  // namespace

bool text_window::open(const char* path) {
  close();
  int fd = ::open(path, O_RDONLY);
  if (fd < 0)
    return false;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    errno = EISDIR;
    return false;
  }
  fd_ = fd;
  return true;
}

void text_window::close() {
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
  len_ = 0;
  base_ = 0;
  end_ = -1;
  run_ = 0;
}

size_t text_window::fill(long long lo, size_t n, char* out) {
  size_t got = 0;
  while (got < n && fd_ >= 0) {
    ssize_t r = pread(fd_, out + got, n - got, static_cast<off_t>(lo) + static_cast<off_t>(got));
    if (r < 0 && errno == EINTR)
      continue;
    if (r <= 0) {
      // The end (or an error, which ends the reading as well).
      end_ = lo + static_cast<long long>(got);
      break;
    }
    got += static_cast<size_t>(r);
  }
  return got;
}

std::string_view text_window::span(long long lo, long long hi) {
  lo = std::max(0LL, lo);
  if (end_ >= 0)
    hi = std::min(hi, end_);
  if (hi <= lo)
    return {};
  if (lo >= base_ && hi <= base_ + static_cast<long long>(len_))
    return {buf_.get() + (lo - base_), static_cast<size_t>(hi - lo)};
  // A span that goes on from the one held, a third time running, is taken
  // for printing in file order; a walk meets a callee just below its
  // caller often enough, but seldom three in a row.
  bool goes_on = lo >= base_ && lo <= base_ + static_cast<long long>(len_);
  run_ = goes_on ? run_ + 1 : 0;
  size_t want = static_cast<size_t>(hi - lo);
  if (run_ >= 2)
    want = std::max(want, kReadAhead);
  if (cap_ < want) {
    cap_ = std::max(want, 2 * cap_);
    buf_.reset(new char[cap_]);
  }
  base_ = lo;
  len_ = fill(lo, want, buf_.get());
  return {buf_.get(), std::min(len_, static_cast<size_t>(hi - lo))};
}

size_t text_window::read(long long lo, size_t n, char* out) {
  if (lo < 0)
    return 0;
  if (lo >= base_ && lo + static_cast<long long>(n) <= base_ + static_cast<long long>(len_)) {
    std::memcpy(out, buf_.get() + (lo - base_), n);
    return n;
  }
  return fill(lo, n, out);
}

namespace {

// The text of [top, head) of a file, loaded backwards from `head` on demand
// and kept in file order against the end of its storage: reversed index 0
// is the byte just before `head`, and indices stay put when an earlier
// piece arrives. A CR directly before an LF is dropped, so a CR LF file
// yields the same text as its LF twin.
class back_text {
 public:
  back_text(text_window& file, long long head, long long top)
      : file_(file), top_(std::max(0LL, top)), lo_(head) {}

  // True when reversed index `r` lies inside the region, loading as needed.
  bool valid(long long r) {
    while (r >= size()) {
      if (!load())
        return false;
    }
    return r >= 0;
  }
  char at(long long r) const { return buf_[cap_ - 1 - static_cast<size_t>(r)]; }

  // Reversed index of the '/' of the last "*/" wholly inside the region,
  // loading as far as needed; -1 when there is none.
  long long last_close() {
    long long searched = 0;  // bytes at the end looked through already
    for (;;) {
      const char* d = buf_.get() + begin_;
      size_t n = static_cast<size_t>(size());
      // A '/' at the first byte looked through before had no '*' before it.
      size_t upto = searched == 0 ? n : n - static_cast<size_t>(searched) + 1;
      while (upto >= 2) {
        const char* slash = last_of(d, '/', upto);
        if (slash == nullptr)
          break;
        size_t i = static_cast<size_t>(slash - d);
        if (i >= 1 && d[i - 1] == '*')
          return static_cast<long long>(n - 1 - i);
        upto = i;
      }
      searched = static_cast<long long>(n);
      if (!load())
        return -1;
    }
  }

  // The first reversed index from `r` on that holds a line feed or a '/',
  // loading as needed; -1 when the region has none. Only those can end a
  // line or open a comment, and a comment's lines are looked through a line
  // at a time.
  long long next_mark(long long r) {
    for (;;) {
      if (!valid(r))
        return -1;
      const char* d = buf_.get() + begin_;
      size_t n = static_cast<size_t>(size());
      size_t i = n - 1 - static_cast<size_t>(r);  // in file order
      const char* lf = last_of(d, '\n', i + 1);
      size_t from = lf ? static_cast<size_t>(lf - d) : 0;
      const char* slash = last_of(d + from, '/', i + 1 - from);
      if (slash != nullptr)
        return static_cast<long long>(n - 1 - static_cast<size_t>(slash - d));
      if (lf != nullptr)
        return static_cast<long long>(n - 1 - from);
      r = static_cast<long long>(n);  // neither: look on above what is loaded
    }
  }

  // The text from reversed index `from` (earliest in the file) down to `to`
  // (latest), in file order; empty when from < to. Good until the next load.
  std::string_view line(long long from, long long to) const {
    if (from < to)
      return {};
    return {buf_.get() + (cap_ - 1 - static_cast<size_t>(from)),
            static_cast<size_t>(from - to + 1)};
  }

 private:
  long long size() const { return static_cast<long long>(cap_ - begin_); }

  // The last `c` among the first `n` bytes of `p`, or null.
  static const char* last_of(const char* p, char c, size_t n) {
    if (n == 0)
      return nullptr;  // p may be null then, which memrchr must not get
#if defined(__GLIBC__)
    return static_cast<const char*>(memrchr(p, c, n));
#else
    while (n > 0) {
      if (p[--n] == c)
        return p + n;
    }
    return nullptr;
#endif
  }

  bool load() {
    if (lo_ <= top_)
      return false;
    size_t n = static_cast<size_t>(
        std::min(lo_ - top_, static_cast<long long>(std::max(kBackPiece, cap_ - begin_))));
    if (begin_ < n) {
      // Room in front: the text moves to the end of a larger store.
      size_t have = cap_ - begin_;
      size_t cap = 2 * (have + n);
      std::unique_ptr<char[]> bigger(new char[cap]);
      if (have > 0)
        std::memcpy(bigger.get() + cap - have, buf_.get() + begin_, have);
      buf_.swap(bigger);
      cap_ = cap;
      begin_ = cap - have;
    }
    char* piece = buf_.get() + begin_ - n;
    if (file_.read(lo_ - static_cast<long long>(n), n, piece) != n) {
      // The file is shorter than the offsets say: treat what lies beyond
      // it as the region's start.
      top_ = lo_;
      return false;
    }
    lo_ -= static_cast<long long>(n);
    if (std::memchr(piece, '\r', n) == nullptr) {
      next_is_lf_ = piece[0] == '\n';
      begin_ -= n;
      return true;
    }
    // Mend in place from the back: the text only ever moves toward its end.
    size_t w = begin_;
    for (size_t i = n; i-- > 0;) {
      char c = piece[i];
      if (c == '\r' && next_is_lf_) {
        next_is_lf_ = false;
        continue;
      }
      next_is_lf_ = c == '\n';
      buf_[--w] = c;
    }
    begin_ = w;
    return true;
  }

  text_window& file_;
  long long top_;
  long long lo_;             // file offset of the earliest byte loaded
  bool next_is_lf_ = false;  // the byte at lo_ is an LF
  std::unique_ptr<char[]> buf_;
  size_t cap_ = 0;
  size_t begin_ = 0;  // the text is buf_[begin_, cap_)
};

bool is_blank(char c) {
  return c == '\n' || c == ' ' || c == '\t';
}

// A comment opening "/*" whose '/' sits at reversed index r.
bool opening_at(back_text& t, long long r, long long floor) {
  return r - 1 >= floor && t.valid(r) && t.at(r) == '/' && t.at(r - 1) == '*';
}

// A line of the comment block: reversed indices of its first and last
// characters.
struct back_line {
  long long from;
  long long to;
};

// Collects the comment block that ends last before the region's end, bottom
// line first, into `lines`.
void collect_lead_comment(back_text& t, std::vector<back_line>* lines) {
  // The last "*/" wholly inside the region; reversed, its '/' comes first.
  long long end = t.last_close();
  if (end < 0)
    return;
  long long cut = end;  // last character of the line being gathered
  long long block_start = -1;
  for (long long j = end;; j++) {
    j = t.next_mark(j);
    if (j < 0)
      return;  // start reached without an opening
    if (t.at(j) == '\n') {
      lines->push_back({j - 1, cut});
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
    lines->push_back({block_start >= 0 ? block_start : p, cut});
    return;
  }
}

// Where the copy of `text`, which starts at the record's header, stops: the
// line reader hands out lines of at most kLinePiece characters (a CR LF
// counted as one), and the copy ends with the piece during which the
// position reaches `end`. Pieces start again after every line feed, so only
// the line that holds the byte before `end` needs cutting up. `text` holds
// the file up to its end or past `end` by more than a piece.
size_t copy_stop(std::string_view text, long long end) {
  const size_t size = text.size();
  size_t pos = 0;
  if (end > 1) {
    for (size_t q = std::min(static_cast<size_t>(end - 1), size); q > 0; q--) {
      if (text[q - 1] == '\n') {
        pos = q;
        break;
      }
    }
  }
  const size_t limit = static_cast<size_t>(kLinePiece);
  while (pos < size) {
    size_t window = std::min(size - pos, limit);
    const char* p = text.data() + pos;
    const void* lf = std::memchr(p, '\n', window);
    if (lf) {
      pos += static_cast<size_t>(static_cast<const char*>(lf) - p) + 1;
    } else if (window == limit && size - pos > limit && p[limit - 1] == '\r' && p[limit] == '\n') {
      pos += limit + 1;  // a CR at the limit goes with its LF
    } else {
      pos += window;
    }
    if (static_cast<long long>(pos) >= end)
      break;
  }
  return pos;
}

// Writes `text`, dropping each CR that directly precedes an LF.
void write_mended(std::string_view text) {
  size_t from = 0;
  for (size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', lf + 1)) {
    if (lf > from && text[lf - 1] == '\r') {
      std::fwrite(text.data() + from, 1, lf - 1 - from, stdout);
      from = lf;
    }
  }
  std::fwrite(text.data() + from, 1, text.size() - from, stdout);
}

// Just past the last byte the copy of `f` may need: the piece that reaches
// its end starts before it and holds at most a piece and a line feed.
long long text_bound(const fun_info& f) {
  return std::max(f.end_pos(), f.head_pos()) + kLinePiece + 2;
}

// Copies the record's text; the file is already current.
void copy_text(fun_info& f) {
  long long head = std::max(0LL, f.head_pos());
  std::string_view text = g_print.text->span(head, text_bound(f));
  if (!text.empty()) {
    std::string_view body = text.substr(0, copy_stop(text, f.end_pos() - head));
    if (std::memchr(body.data(), '\r', body.size()) != nullptr) {
      write_mended(body);
    } else {
      std::fwrite(body.data(), 1, body.size(), stdout);
    }
  }
  std::fputc('\n', stdout);
}

// Makes `file` the file copied from; false (and no file current) when it
// cannot be opened.
bool select_file(const char* file) {
  if (g_print.text != nullptr && file == g_print.text_file)
    return true;
  g_print.text = nullptr;
  g_print.text_file.clear();
  int slot = 0;  // the file's window, else the one unused longest
  for (int k = 0; k < print_state::kKept; k++) {
    if (g_print.windows[k].is_open() && g_print.names[k] == file) {
      slot = k;
      break;
    }
    if (g_print.last_used[k] < g_print.last_used[slot])
      slot = k;
  }
  text_window& w = g_print.windows[slot];
  if (!w.is_open() || g_print.names[slot] != file) {
    w.close();
    g_print.names[slot].clear();
    if (!w.open(file)) {
      errmsg1(kMsgNotFound, file);
      return false;
    }
    g_print.names[slot] = file;
  }
  g_print.last_used[slot] = ++g_print.clock;
  if (g_opt.file_flag)
    std::printf("/* File: %s */\n", file);
  g_print.text = &w;
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
    // One read for the comment above and the text, as a rule.
    g_print.text->span(std::max(f.top_pos(), f.head_pos() - kLeadLook), text_bound(f));
    print_lead_comment(*g_print.text, f.head_pos(), f.top_pos());
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

void print_lead_comment(text_window& file, long long head_pos, long long top_pos) {
  if (head_pos <= top_pos)
    return;
  back_text text(file, head_pos, top_pos);
  static std::vector<back_line> lines;  // kept for its room
  lines.clear();
  collect_lead_comment(text, &lines);
  if (lines.empty())
    return;
  // The lines follow one another a line feed apart, so the block is
  // written in one piece, unless a NUL byte ends a line early (as it would
  // end a C string). Top line first.
  std::string_view whole = text.line(lines.back().from, lines.front().to);
  // An empty view may hold no pointer at all, which memchr must not get.
  bool one_piece = whole.empty() || std::memchr(whole.data(), 0, whole.size()) == nullptr;
  for (size_t k = 1; one_piece && k < lines.size(); k++)
    one_piece = lines[k].to == lines[k - 1].from + 2;
  if (one_piece) {
    std::fwrite(whole.data(), 1, whole.size(), stdout);
    std::fputc('\n', stdout);
    return;
  }
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    std::string_view s = text.line(it->from, it->to);
    const void* nul = s.empty() ? nullptr : std::memchr(s.data(), 0, s.size());
    if (nul)
      s = s.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - s.data()));
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fputc('\n', stdout);
  }
}

}  // namespace kavel
