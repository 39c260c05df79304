// Diagnostics: one small formatter shared by every message of the tool, and
// the byte helpers that go with it. Messages carry no prefix; each caller
// ends its own text with a line feed.
#ifndef KAVEL_SUPPORT_MESSAGES_H_
#define KAVEL_SUPPORT_MESSAGES_H_

#include <cstdio>
#include <initializer_list>
#include <string>

namespace kavel {

// One argument of a message. The formatter knows how many were passed, so a
// directive without an argument is written unchanged instead of reading
// whatever the stack holds.
struct msg_arg {
  enum kind_t { kInt, kDouble, kStr } kind;
  long long i = 0;
  double d = 0;
  const char* s = nullptr;
  msg_arg(int v) : kind(kInt), i(v) {}
  msg_arg(long v) : kind(kInt), i(v) {}
  msg_arg(long long v) : kind(kInt), i(v) {}
  msg_arg(unsigned v) : kind(kInt), i(v) {}
  msg_arg(char v) : kind(kInt), i(static_cast<unsigned char>(v)) {}
  msg_arg(double v) : kind(kDouble), d(v) {}
  msg_arg(const char* v) : kind(kStr), s(v ? v : "") {}
  msg_arg(const std::string& v) : kind(kStr), s(v.c_str()) {}
};

// Where messages go; null selects stderr. Tests point it at a memory stream.
extern FILE* errfp;
// Forgets the last formatted text. errfp and g_exit_throws are the caller's
// settings and stay as they are.
void reset_messages();

// Formats `format` with `args` into a static buffer that the next call
// overwrites. Output stops once 1024 characters are written (a directive
// begun below the mark is finished); a %s that does not fit is cut so the
// text reaches 768 characters.
const char* err_edit(const char* format, std::initializer_list<msg_arg> args);

// Formats when `format` holds a '%' and writes the text to errfp.
// Returns what the write returned.
int errmsg1_v(const char* format, std::initializer_list<msg_arg> args);

template <typename... A>
int errmsg1(const char* format, const A&... a) {
  return errmsg1_v(format, {msg_arg(a)...});
}
template <typename... A>
void errmsg(const char* format, const A&... a) {
  errmsg1_v(format, {msg_arg(a)...});
}

// First byte equal to `ch` that starts a character, reading `text` as
// Shift-JIS (a trail byte is never found); null when none.
const char* Strchr(const char* text, int ch);
char* Strchr(char* text, int ch);
// First byte equal to `ch`, no multi-byte handling; null when none.
const char* index(const char* text, int ch);
char* index(char* text, int ch);
// Sets `count` bytes at `buffer` to the low byte of `value`; count <= 0 does nothing.
void clear(void* buffer, int value, int count);

// True for a Shift-JIS lead byte (0x81-0x9F, 0xE0-0xFC).
inline bool is_sjis_lead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Ends the run with `status` after flushing stdout. Every fatal end of the
// tool comes through here; a fuzzing build turns it into an exception.
[[noreturn]] void kavel_exit(int status);

// When set, kavel_exit throws exit_request instead of ending the process.
extern bool g_exit_throws;
struct exit_request {
  int status;
};

}  // namespace kavel

#endif  // KAVEL_SUPPORT_MESSAGES_H_
