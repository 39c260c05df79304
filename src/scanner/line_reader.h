// The one reader of source text. It hands out lines as text mode would: a CR
// directly before an LF is dropped, and a line longer than 1023 characters
// arrives in pieces. Unlike text mode it knows, for every piece, the exact
// byte offset where it starts in the file and the position just past it, so
// offsets recorded while scanning and the bytes copied back by the printer
// agree for LF and CR LF files alike.
#ifndef KAVEL_SCANNER_LINE_READER_H_
#define KAVEL_SCANNER_LINE_READER_H_

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kavel {

// Most characters one read hands out; the buffer needs one more for the terminator.
constexpr int kLinePiece = 1023;

class line_reader {
 public:
  line_reader() = default;
  line_reader(const line_reader&) = delete;
  line_reader& operator=(const line_reader&) = delete;
  ~line_reader() { close(); }

  // Opens `path` for reading; false when it cannot be opened or is a
  // directory, with errno saying why (EISDIR for a directory). A caller
  // that has just looked the path up passes what it found as `known`,
  // which saves asking again.
  bool open(const char* path, const struct stat* known = nullptr);
  // Takes over an open stream (tests feed strings through fmemopen).
  void open_stream(FILE* stream);
  void close();
  bool is_open() const { return f_ != nullptr; }

  // Reads the next piece into `out` (room for kLinePiece + 1 bytes) and ends
  // it with a terminator. Returns the number of characters, which may count
  // NUL bytes of the file; -1 at end of file.
  int read(char* out);
  // The next piece as read() gives it when it begins with the `len` bytes
  // of `prefix` (no line feed among them); else the piece is passed over
  // and 0 comes back. -1 at end of file.
  int read_if_starts(char* out, const char* prefix, size_t len);
  // The next piece read() would give that begins with the `len` (> 0)
  // bytes of `prefix`, the others passed over; -1 at end of file.
  int read_next_starting(char* out, const char* prefix, size_t len);
  // The same piece as read() gives, written to both `out` and `copy` (each
  // with room for kLinePiece + 1 bytes), with every NUL byte of the piece
  // turned into a blank: the scanner's view of a line and the line as read,
  // in one walk over the bytes.
  // Inline, as the reader of every line calls it for nearly every line.
  int read_text(char* out, char* copy);
  // False when the piece read_text gave last is known to hold only bytes
  // below 0x80, which every text check may take as plain ASCII; true when
  // it holds another byte or was not looked at that closely.
  bool piece_may_be_high() const { return high_; }
  // Passes over the whole lines from the read position on that hold no
  // "*/" and only bytes below 0x80: the lines inside a block comment that
  // cannot close it, whatever the file's encoding. The count of lines
  // passed; the next read starts at the first other line.
  int pass_comment_lines();
  // After read_text gave the first `have` characters of a line into `out`
  // and `copy` (which hold at least kLinePiece + 17 bytes) without its end:
  // reads the rest of the line as read_text gives its pieces, growing both
  // (the storage they outgrow is moved to `outgrown`). start() is then the
  // line's own. The line's characters.
  int read_rest_of_line(int have, std::vector<char>& out, std::vector<char>& copy,
                        std::vector<std::vector<char>>& outgrown);
  // True when a piece of `n` characters whose last one is `last` may not
  // end its line: only a piece cut at the length limit.
  static bool piece_is_cut(int n, char last) { return n >= kLinePiece && last != '\n'; }
  // Byte offset of the first byte of the piece read last.
  long long start() const { return start_; }
  // Byte position just past the piece read last (its line end included).
  long long pos() const { return pos_; }
  // Moves to byte `offset`; the next read starts there.
  void seek(long long offset);
  // Copies up to `n` raw bytes from byte `offset` on (no line-end
  // translation) and leaves the reading position where it was; returns the
  // number copied.
  long long read_raw(long long offset, char* out, long long n);

 private:
  // Takes over `stream`, whose next byte is at file offset `base`.
  void attach(FILE* stream, long long base, long long size = -1);
  void refill();
  // Starts a piece at the read position, refilling when little is left;
  // false at end of file.
  bool begin_piece();
  // read_text for every piece, the rare ones included.
  [[gnu::noinline]] int read_text_walk(char* out, char* copy);
  // Ends the piece whose line feed is at index `lf` of the unread bytes
  // (`window` when none is among the first `window`): the characters handed
  // out, which end in a '\n' when `ends_line` comes back true. A CR right
  // before the LF is dropped, also when it is the piece's last byte.
  size_t end_piece(size_t window, size_t lf, bool& ends_line);

  FILE* f_ = nullptr;
  // Left uninitialised: a reader is made for every header looked at, and
  // only the bytes read are ever used.
  std::unique_ptr<char[]> buf_;
  size_t cap_ = 0;       // size of buf_
  size_t cur_ = 0;       // next unread byte in buf_
  size_t end_ = 0;       // bytes valid in buf_
  bool eof_ = false;     // the stream has nothing more to give
  long long size_ = -1;  // the regular file's size when opened, or -1
  long long base_ = 0;   // file offset of buf_[0]
  long long start_ = 0;  // offset of the last piece
  long long pos_ = 0;    // offset just past the last piece
  bool high_ = true;     // see piece_may_be_high
};

inline int line_reader::read_text(char* out, char* copy) {
#if defined(__SSE2__)
  // Nearly every line: the buffer holds a whole piece and the bytes looked
  // at past it ahead, and the line ends in a line feed with no NUL byte and
  // no CR before it. Anything else is left to the full walk, which starts
  // over.
  if (f_ != nullptr && end_ - cur_ >= static_cast<size_t>(kLinePiece) + 2) {
    const char* p = buf_.get() + cur_;
    const __m128i lf_byte = _mm_set1_epi8('\n');
    const __m128i nul_byte = _mm_setzero_si128();
    unsigned high = 0;
    for (size_t i = 0; i + 16 <= static_cast<size_t>(kLinePiece); i += 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(copy + i), v);
      const unsigned lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf_byte)));
      const unsigned z = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, nul_byte)));
      const unsigned h = static_cast<unsigned>(_mm_movemask_epi8(v));
      if (lf != 0) {
        const unsigned below = (lf & (0u - lf)) - 1;
        const size_t n = i + static_cast<size_t>(__builtin_ctz(lf)) + 1;
        if ((z & below) != 0 || (n >= 2 && p[n - 2] == '\r'))
          break;
        out[n] = 0;
        copy[n] = 0;
        start_ = base_ + static_cast<long long>(cur_);
        cur_ += n;
        pos_ = base_ + static_cast<long long>(cur_);
        high_ = (high | (h & below)) != 0;
        return static_cast<int>(n);
      }
      if (z != 0)
        break;
      high |= h;
    }
  }
#endif
  return read_text_walk(out, copy);
}

}  // namespace kavel

#endif  // KAVEL_SCANNER_LINE_READER_H_
