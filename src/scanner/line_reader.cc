// Reads through one large buffer so a line costs a memchr, not a call into
// stdio; offsets come from the buffer's base, so they are exact whatever
// the line ends are.
#include "scanner/line_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kavel {

namespace {
constexpr size_t kBufSize = 64 * 1024;
// A piece is at most kLinePiece characters, plus a CR and an LF looked at
// past it; refill when fewer bytes than that are left.
constexpr size_t kLookAhead = kLinePiece + 2;
// read_text looks at 16 bytes at a time and may load up to 15 bytes past
// the valid ones; the buffer has that much more, kept zero.
constexpr size_t kSlack = 16;
}  // namespace

bool line_reader::open(const char* path, const struct stat* known) {
  close();
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  struct stat st;
  if (known == nullptr && fstat(fileno(f), &st) == 0) known = &st;
  if (known != nullptr && S_ISDIR(known->st_mode)) {
    std::fclose(f);
    errno = EISDIR;  // the caller may say why
    return false;
  }
  // The reader has a buffer of its own; one for the stream as well would
  // cost an fstat and a copy of every byte. A file just opened is at its
  // start: asking the stream would cost a system call too.
  std::setvbuf(f, nullptr, _IONBF, 0);
  // A size of 0 may belong to a file with text all the same (/proc).
  const bool sized = known != nullptr && S_ISREG(known->st_mode) && known->st_size > 0;
  attach(f, 0, sized ? static_cast<long long>(known->st_size) : -1);
  return true;
}

void line_reader::open_stream(FILE* stream) {
  // Offsets count from the file's start even when the stream was handed
  // over part way in.
  long here = stream ? std::ftell(stream) : -1;
  attach(stream, here > 0 ? here : 0);
}

void line_reader::attach(FILE* stream, long long base, long long size) {
  close();
  f_ = stream;
  if (cap_ < kBufSize) {
    buf_.reset(new char[kBufSize + kSlack]);
    std::memset(buf_.get() + kBufSize, 0, kSlack);
    cap_ = kBufSize;
  }
  cur_ = end_ = 0;
  eof_ = false;
  size_ = size;
  base_ = start_ = pos_ = base;
}

void line_reader::close() {
  if (f_) std::fclose(f_);
  f_ = nullptr;
  cur_ = end_ = 0;
  eof_ = true;
}

void line_reader::refill() {
  if (eof_ || !f_) return;
  if (cur_ > 0) {
    std::memmove(buf_.get(), buf_.get() + cur_, end_ - cur_);
    base_ += static_cast<long long>(cur_);
    end_ -= cur_;
    cur_ = 0;
  }
  if (end_ < cap_) {
    // fread comes back short only at the end of the file (or on an error,
    // which ends the reading as well): asking again would cost one more
    // system call for every file. An unbuffered fread asks until it has
    // all it wants, so a regular file is asked for no more than its size
    // when opened: one read for most, none to find the end.
    size_t want = cap_ - end_;
    const long long held = base_ + static_cast<long long>(end_);
    bool to_size = false;
    if (size_ >= 0 && size_ - held <= static_cast<long long>(want)) {
      want = size_ > held ? static_cast<size_t>(size_ - held) : 0;
      to_size = true;
    }
    size_t n = want > 0 ? std::fread(buf_.get() + end_, 1, want, f_) : 0;
    end_ += n;
    if (n < want || to_size) eof_ = true;
  }
}

bool line_reader::begin_piece() {
  if (!f_) return false;
  if (end_ - cur_ < kLookAhead) refill();
  if (cur_ >= end_) return false;
  start_ = base_ + static_cast<long long>(cur_);
  return true;
}

size_t line_reader::end_piece(size_t window, size_t lf, bool& ends_line) {
  const char* p = buf_.get() + cur_;
  const size_t avail = end_ - cur_;
  const size_t limit = static_cast<size_t>(kLinePiece);
  size_t n;
  size_t used;
  ends_line = true;
  if (lf < window) {
    n = (lf > 0 && p[lf - 1] == '\r' ? lf - 1 : lf) + 1;
    used = lf + 1;
  } else if (window == limit && avail > limit && p[limit - 1] == '\r' && p[limit] == '\n') {
    // A CR counts only when an LF follows it, so a piece never ends between
    // the two: a CR at the piece's limit is looked at together with its LF.
    n = limit;
    used = limit + 1;
  } else {
    n = used = window;
    ends_line = false;
  }
  cur_ += used;
  pos_ = base_ + static_cast<long long>(cur_);
  return n;
}

int line_reader::read(char* out) { return read_if_starts(out, "", 0); }

int line_reader::read_if_starts(char* out, const char* prefix, size_t len) {
  if (!begin_piece()) return -1;
  const char* p = buf_.get() + cur_;
  size_t avail = end_ - cur_;
  const size_t limit = static_cast<size_t>(kLinePiece);
  size_t window = avail < limit ? avail : limit;
  const char* lf = static_cast<const char*>(std::memchr(p, '\n', window));
  // The prefix holds no line feed, so a piece that begins with it is longer
  // than it, and its first bytes are the file's own.
  bool starts =
      len == 0 || (window >= len && p[0] == prefix[0] && std::memcmp(p, prefix, len) == 0);
  bool ends_line;
  size_t n = end_piece(window, lf ? static_cast<size_t>(lf - p) : window, ends_line);
  if (!starts) return 0;
  std::memcpy(out, p, ends_line ? n - 1 : n);
  if (ends_line) out[n - 1] = '\n';
  out[n] = 0;
  return static_cast<int>(n);
}

int line_reader::read_next_starting(char* out, const char* prefix, size_t len) {
  for (;;) {
    if (!begin_piece()) return -1;
    // A header is read only for its few #include lines: the lines that
    // end within a piece and do not begin with the prefix are passed over
    // here, a search for the line feed each, as read_if_starts would pass
    // them.
    while (end_ - cur_ >= kLookAhead) {
      const char* p = buf_.get() + cur_;
      if (p[0] == prefix[0] && (len >= kLookAhead || std::memcmp(p, prefix, len) == 0)) break;
      const void* lf = std::memchr(p, '\n', static_cast<size_t>(kLinePiece));
      if (lf == nullptr) break;
      cur_ += static_cast<size_t>(static_cast<const char*>(lf) - p) + 1;
    }
    pos_ = base_ + static_cast<long long>(cur_);
    const int n = read_if_starts(out, prefix, len);
    if (n != 0) return n;
  }
}

int line_reader::read_text_walk(char* out, char* copy) {
#if defined(__SSE2__)
  if (!begin_piece()) return -1;
  const char* p = buf_.get() + cur_;
  size_t avail = end_ - cur_;
  const size_t limit = static_cast<size_t>(kLinePiece);
  size_t window = avail < limit ? avail : limit;
  // Copies 16 bytes at a time while looking for the line feed and for NUL
  // bytes before it; bytes past the window are copied but never counted.
  const __m128i lf_byte = _mm_set1_epi8('\n');
  const __m128i nul_byte = _mm_setzero_si128();
  size_t j = window;  // the line feed's index; window when there is none
  bool nul = false;
  unsigned high = 0;  // bytes from 0x80 on, among those looked at
  for (size_t i = 0; i < window; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + i), v);
    unsigned lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf_byte)));
    unsigned z = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, nul_byte)));
    unsigned h = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (window - i < 16) {
      unsigned keep = (1u << (window - i)) - 1;
      lf &= keep;
      z &= keep;
    }
    if (lf != 0) {
      unsigned k = static_cast<unsigned>(__builtin_ctz(lf));
      j = i + k;
      nul = nul || (z & ((1u << k) - 1)) != 0;
      if (!nul && (j == 0 || p[j - 1] != '\r')) {
        // Nearly every line: its line feed is copied already, nothing to
        // drop or change.
        size_t n = j + 1;
        out[n] = 0;
        if (copy) copy[n] = 0;
        cur_ += n;
        pos_ = base_ + static_cast<long long>(cur_);
        high_ = (high | (h & ((1u << k) - 1))) != 0;
        return static_cast<int>(n);
      }
      break;
    }
    nul = nul || z != 0;
    high |= h;
  }
  high_ = true;  // not followed on the rarer paths below
  bool ends_line;
  size_t n = end_piece(window, j, ends_line);
  if (ends_line) out[n - 1] = copy[n - 1] = '\n';
  out[n] = copy[n] = 0;
  if (nul) {
    for (size_t k = 0; k < n; k++) {
      if (out[k] == 0) out[k] = copy[k] = ' ';
    }
  }
  return static_cast<int>(n);
#else
  high_ = true;
  int n = read(out);
  if (n < 0) return -1;
  for (int k = 0; k < n; k++) {
    if (out[k] == 0) out[k] = ' ';
  }
  std::memcpy(copy, out, static_cast<size_t>(n) + 1);
  return n;
#endif
}

int line_reader::pass_comment_lines() {
  int lines = 0;
  for (;;) {
    if (!f_) return lines;
    if (end_ - cur_ < kLookAhead) refill();
    const size_t avail = end_ - cur_;
    if (avail == 0) return lines;
    const char* p = buf_.get() + cur_;
    size_t line_start = 0;  // just past the last line feed before a stop
    bool stopped = false;
    size_t k = 0;
#if defined(__SSE2__)
    // 16 bytes at a time: line feeds, high bytes and "*/" pairs (the byte
    // after each '*' is loaded beside it; the buffer's slack covers the
    // last load, and bits past the valid bytes are dropped).
    const __m128i lf_byte = _mm_set1_epi8('\n');
    const __m128i star = _mm_set1_epi8('*');
    const __m128i slash = _mm_set1_epi8('/');
    for (; k < avail && !stopped; k += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
      __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
      unsigned lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf_byte)));
      unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(v)) |
                      (static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, star))) &
                       static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, slash))));
      if (avail - k <= 16) {
        const size_t left = avail - k;
        const unsigned keep = left >= 16 ? 0xFFFFu : (1u << left) - 1;
        lf &= keep;
        stop &= keep;
        // A '*' that ends the bytes at hand may be closed by a '/' not read yet.
        if (p[avail - 1] == '*') stop |= 1u << (left - 1);
      }
      if (stop != 0) {
        lf &= (1u << __builtin_ctz(stop)) - 1;
        stopped = true;
      }
      if (lf != 0) {
        lines += __builtin_popcount(lf);
        line_start = k + (31 - static_cast<size_t>(__builtin_clz(lf))) + 1;
      }
    }
#else
    for (; k < avail; k++) {
      const unsigned char c = static_cast<unsigned char>(p[k]);
      if (c >= 0x80 || (c == '*' && (k + 1 == avail || p[k + 1] == '/'))) {
        stopped = true;
        break;
      }
      if (c == '\n') {
        lines++;
        line_start = k + 1;
      }
    }
#endif
    cur_ += line_start;
    pos_ = start_ = base_ + static_cast<long long>(cur_);
    // A stop, or a line longer than the bytes at hand: the reader goes on
    // line by line.
    if (stopped || line_start == 0) return lines;
  }
}

namespace {
// Gives `v` room for `size` bytes, keeping its first `have` in new storage.
void outgrow(std::vector<char>& v, size_t size, size_t have,
             std::vector<std::vector<char>>& outgrown) {
  std::vector<char> bigger(size);
  std::memcpy(bigger.data(), v.data(), std::min(have, v.size()));
  v.swap(bigger);
  if (!bigger.empty())
    outgrown.push_back(std::move(bigger));
}
}  // namespace

int line_reader::read_rest_of_line(int first_piece, std::vector<char>& out,
                                   std::vector<char>& copy,
                                   std::vector<std::vector<char>>& outgrown) {
  const long long first = start_;
  size_t have = static_cast<size_t>(first_piece);
  for (;;) {
    // read_text may store up to kSlack bytes past the piece.
    size_t need = have + kLinePiece + 1 + kSlack;
    if (out.size() < need || copy.size() < need) {
      size_t size = std::max(need, 2 * out.size());
      outgrow(out, size, have, outgrown);
      outgrow(copy, size, have, outgrown);
    }
    int n = read_text(out.data() + have, copy.data() + have);
    if (n <= 0)
      break;
    have += static_cast<size_t>(n);
    if (!piece_is_cut(n, out[have - 1]))
      break;
  }
  start_ = first;
  return static_cast<int>(have);
}

void line_reader::seek(long long offset) {
  if (!f_) return;
  if (offset < 0) offset = 0;
  if (offset >= base_ && offset <= base_ + static_cast<long long>(end_)) {
    cur_ = static_cast<size_t>(offset - base_);
  } else {
    std::fseek(f_, offset, SEEK_SET);
    base_ = offset;
    cur_ = end_ = 0;
    eof_ = false;
  }
  start_ = pos_ = offset;
}

long long line_reader::read_raw(long long offset, char* out, long long n) {
  if (!f_ || n <= 0 || offset < 0) return 0;
  long long got = 0;
  if (offset >= base_ && offset < base_ + static_cast<long long>(end_)) {
    long long have = base_ + static_cast<long long>(end_) - offset;
    got = have < n ? have : n;
    std::memcpy(out, buf_.get() + (offset - base_), static_cast<size_t>(got));
    if (got == n) return got;
  }
  // Outside the buffer: read directly, then put the stream back where the
  // buffer expects it.
  long long here = std::ftell(f_);
  std::fseek(f_, offset + got, SEEK_SET);
  got += static_cast<long long>(std::fread(out + got, 1, static_cast<size_t>(n - got), f_));
  std::fseek(f_, here, SEEK_SET);
  return got;
}

}  // namespace kavel
