// Names that never count as functions. The user's -r/-R entries come first
// and the first one that matches decides, so '!' can re-admit a standard
// name; only when none matches does the built-in list answer.
#include "tables/ignore_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "support/name_map.h"
#include "support/options.h"
#include "tables/pattern.h"

namespace kavel {

// clang-format off
const char* const ignfun_tab[kIgnfunCount + 1] = {
    "sizeof", "abort", "abs", "acos", "allocate", "asctime", "asin", "assert",
    "atan", "atan2", "atexit", "atof", "atoi", "atol", "bsearch", "calloc",
    "ceil", "clearerr", "clock", "close", "cos", "cosh", "ctime", "defined",
    "difftime", "div", "exit", "exp", "fabs", "fclose", "feof", "ferror",
    "fflush", "fgetc", "fgetpos", "fgets", "fileno", "floor", "fmod", "fopen",
    "fprintf", "fputc", "fputs", "fread", "free", "freopen", "frexp", "fscanf",
    "fseek", "fsetpos", "ftell", "fwrite", "getc", "getchar", "getenv", "gets",
    "getw", "gmtime", "gtty", "index", "isalnum", "isalpha", "isascii", "isatty",
    "iscntrl", "isdigit", "isgraph", "islower", "isprint", "ispunct", "isspace", "isupper",
    "isxdigit", "kill", "labs", "ldexp", "ldiv", "localeconv", "localtime", "ioctl",
    "log", "log10", "longjmp", "lseek", "malloc", "mblen", "mbstowcs", "mbtowc",
    "memchr", "memcmp", "memcpy", "memmove", "memset", "mktime", "modf", "offsetof",
    "open", "pclose", "perror", "popen", "pow", "printf", "putc", "putchar",
    "putenv", "puts", "putw", "qsort", "raise", "rand", "read", "realloc",
    "remove", "rename", "rewind", "scanf", "setbuf", "setjmp", "setlocale", "setvbuf",
    "signal", "sin", "sinh", "sleep", "sprintf", "sqrt", "srand", "sscanf",
    "ssignal", "strcasecmp", "strcat", "strchr", "strcmp", "strcoll", "strcpy", "strcspn",
    "strdup", "strerror", "strftime", "strlen", "strncat", "strncmp", "strncpy", "strpbrk",
    "strrchr", "strspn", "strstr", "strtod", "strtok", "strtok_r", "strtol", "strtoul",
    "strxfrm", "system", "stat", "stty", "tan", "tanh", "time", "tmpfile",
    "tmpnam", "toascii", "tolower", "toupper", "tzset", "ungetc", "unlink", "va_arg",
    "va_end", "va_start", "vfprintf", "vprintf", "vsprintf", "wcstombs", "wctomb", "write",
    nullptr,
};
// clang-format on

ignore_state g_ign;
void reset_ignore() {
  g_ign = ignore_state{};
}

namespace {

// The built-in names, filled once at start-up. The question is asked for
// every call the scanner meets: a name longer or shorter than all of them
// is turned away on its length alone, before hashing.
struct builtin_names {
  name_map<char> names;
  size_t min_len = SIZE_MAX;
  size_t max_len = 0;
  builtin_names() {
    for (const char* const* n = ignfun_tab; *n != nullptr; ++n) {
      names[*n] = 1;
      min_len = std::min(min_len, std::strlen(*n));
      max_len = std::max(max_len, std::strlen(*n));
    }
  }
  bool contains(const char* name) const {
    const std::string_view key(name);
    if (key.size() < min_len || key.size() > max_len)
      return false;
    return names.find(key) != nullptr;
  }
};
const builtin_names g_builtin;

bool in_ignfun_tab(const char* name) {
  return g_builtin.contains(name);
}

// Copies the entries given since the last question. Before the first
// question they are converted into pattern form (up to an empty entry,
// which ends the list); later ones keep their written form.
[[gnu::noinline]] void take_entries() {
  const name_table& given = g_opt.ign_list;
  bool convert = !g_ign.asked;
  for (; g_ign.taken < given.size(); ++g_ign.taken) {
    std::string entry = given[g_ign.taken];
    convert = convert && !entry.empty();
    if (convert && entry[0] == '!') {
      conv_search_str(&entry[1]);
      entry.resize(std::strlen(entry.c_str()));
    } else if (convert) {
      conv_search_str(entry);
    }
    g_ign.entries.push_back(std::move(entry));
  }
}

}  // namespace

int check_ignfun(const char* name) {
  if (g_ign.taken != g_opt.ign_list.size())
    take_entries();
  g_ign.asked = true;
  for (const std::string& entry : g_ign.entries) {
    if (entry.empty())
      break;
    bool admit = entry[0] == '!';
    if (match(entry.c_str() + (admit ? 1 : 0), name))
      return admit ? 0 : 1;
  }
  return in_ignfun_tab(name) ? 1 : 0;
}

}  // namespace kavel
