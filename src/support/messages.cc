// The formatter understands %c %d %x %f %s and backslash escapes and copies
// every other directive as written, so texts that hold user data as the
// format (a file name with a '%' in it) come out intact.
#include "support/messages.h"

#include <cstdlib>
#include <cstring>

namespace kavel {

FILE* errfp = nullptr;
bool g_exit_throws = false;

namespace {

constexpr int kEditMark = 1024;  // formatting stops once this many characters are out
constexpr int kStrCut = 768;     // a %s that does not fit is cut to reach this length
// Room past the mark for a directive begun just below it: the longest is a
// %f of a huge double (about 320 characters) or a whole %s that fits.
char edit_buf[kEditMark + 512];

}  // namespace

void reset_messages() { edit_buf[0] = 0; }

const char* err_edit(const char* format, std::initializer_list<msg_arg> args) {
  const msg_arg* next = args.begin();
  const msg_arg* end = args.end();
  int out = 0;
  const char* f = format;
  edit_buf[0] = 0;
  while (out < kEditMark && *f) {
    if (*f == '\\' && f[1]) {  // escape: the next character is taken as it is
      edit_buf[out++] = f[1];
      f += 2;
      continue;
    }
    if (*f != '%') {
      edit_buf[out++] = *f++;
      continue;
    }
    char d = f[1];
    if (d == 0) {  // a lone '%' at the end stays
      edit_buf[out++] = '%';
      f++;
      continue;
    }
    bool wants = d == 'c' || d == 'd' || d == 'x' || d == 'f' || d == 's';
    if (!wants || next == end) {
      // Unknown directives, and directives whose argument was not passed,
      // are copied unchanged.
      edit_buf[out++] = '%';
      edit_buf[out++] = d;
      f += 2;
      continue;
    }
    const msg_arg& a = *next++;
    char tmp[400];
    switch (d) {
      case 'c':
        edit_buf[out++] = static_cast<char>(a.kind == msg_arg::kInt ? a.i : 0);
        break;
      case 'd':
        snprintf(tmp, sizeof tmp, "%d", static_cast<int>(a.kind == msg_arg::kInt ? a.i : 0));
        memcpy(edit_buf + out, tmp, strlen(tmp));
        out += static_cast<int>(strlen(tmp));
        break;
      case 'x':
        snprintf(tmp, sizeof tmp, "%x",
                 static_cast<unsigned>(a.kind == msg_arg::kInt ? a.i : 0));
        memcpy(edit_buf + out, tmp, strlen(tmp));
        out += static_cast<int>(strlen(tmp));
        break;
      case 'f':
        snprintf(tmp, sizeof tmp, "%f", a.kind == msg_arg::kDouble ? a.d : 0.0);
        memcpy(edit_buf + out, tmp, strlen(tmp));
        out += static_cast<int>(strlen(tmp));
        break;
      case 's': {
        const char* s = a.kind == msg_arg::kStr ? a.s : "";
        size_t len = strlen(s);
        if (out + len <= static_cast<size_t>(kEditMark)) {
          memcpy(edit_buf + out, s, len);
          out += static_cast<int>(len);
        } else if (out < kStrCut) {
          // Cut so that the text reaches exactly 768 characters.
          int take = kStrCut - out;
          memcpy(edit_buf + out, s, take);
          out += take;
        }
        // Past 768 already: nothing of the string fits, the format goes on.
        break;
      }
    }
    f += 2;
  }
  edit_buf[out] = 0;
  return edit_buf;
}

int errmsg1_v(const char* format, std::initializer_list<msg_arg> args) {
  const char* text = Strchr(format, '%') ? err_edit(format, args) : format;
  FILE* out = errfp ? errfp : stderr;
  return fprintf(out, "%s", text);
}

const char* Strchr(const char* text, int ch) {
  unsigned char want = static_cast<unsigned char>(ch);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++) {
    if (*p == want) return reinterpret_cast<const char*>(p);
    if (is_sjis_lead(*p) && p[1]) p++;
  }
  return nullptr;
}

char* Strchr(char* text, int ch) {
  return const_cast<char*>(Strchr(static_cast<const char*>(text), ch));
}

const char* index(const char* text, int ch) {
  unsigned char want = static_cast<unsigned char>(ch);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; p++) {
    if (*p == want) return reinterpret_cast<const char*>(p);
  }
  return nullptr;
}

char* index(char* text, int ch) {
  return const_cast<char*>(index(static_cast<const char*>(text), ch));
}

void clear(void* buffer, int value, int count) {
  if (count > 0) memset(buffer, value & 0xFF, static_cast<size_t>(count));
}

void kavel_exit(int status) {
  fflush(stdout);
  if (g_exit_throws) throw exit_request{status};
  exit(status);
}

}  // namespace kavel
