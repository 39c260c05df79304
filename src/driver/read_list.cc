// Reads names from a comma list or from a list file. A list file may be the
// function tree of a call-tree tool: each line there carries a bracketed
// number (or a <n> mark) before the function name, often behind glyphs and
// dots, so the reader takes the word after the first bracket of a line and
// passes over everything in front of it.
#include "driver/read_list.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "scanner/line_reader.h"
#include "support/message_texts.h"
#include "support/messages.h"
#include "support/name_map.h"

namespace kavel {

namespace {

// The entries present before a read: a name among them is not added
// again. Names given twice in one list are both kept, a name repeated by a
// later option is not.
using known_names = name_map<char>;

void add_unlisted(name_table& table, const std::string& name, known_names& known) {
  if (known.find(name) == nullptr)
    table.push_back(name);
}

void read_comma_list(name_table& table, const char* text, known_names& known) {
  const char* p = text;
  for (;;) {
    const char* comma = std::strchr(p, ',');
    if (!comma) {
      add_unlisted(table, p, known);
      return;
    }
    add_unlisted(table, std::string(p, comma), known);
    p = comma + 1;
  }
}

bool ends_name(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// Takes the names of one line (which ends in '\n').
void take_line_names(name_table& table, const char* line, known_names& known) {
  const char* p = line;
  for (;;) {
    // Leading dots are a tree's indentation, except those that begin a
    // path (`./a.c#f`, `../b.c#g`): a run of dots before '/' stays.
    for (;;) {
      if (*p == ' ' || *p == '\t') {
        p++;
        continue;
      }
      const char* dots = p;
      while (*dots == '.')
        dots++;
      if (dots == p || *dots == '/')
        break;
      p = dots;
    }
    if (*p == '\n' || *p == 0)
      return;
    const char* open = std::strchr(p, '[');
    if (!open)
      open = std::strchr(p, '<');
    if (open) {
      const char* q = open + 1;
      while (*q && *q != '\n' && *q != ']' && *q != '>')
        q++;
      if (*q != ']' && *q != '>')
        return;  // never closed: the rest is no name
      q++;
      // Tree output puts one blank between the bracket and the name. A
      // bracket that closes the line has nothing after it to skip.
      if (*q != '\n' && *q != 0)
        q++;
      p = q;
    }
    const char* end = p;
    while (*end && !ends_name(*end))
      end++;
    if (end > p)
      add_unlisted(table, std::string(p, end), known);
    if (*end == '\n' || *end == 0)
      return;
    p = end + 1;
  }
}

bool read_list_file(name_table& table, const char* path, known_names& known) {
  line_reader in;
  if (!in.open(path)) {
    report_unopened(path, errno);
    return false;
  }
  // A line of any length is gathered whole, so no name is cut; the last
  // line gets a line feed when it has none.
  char piece[kLinePiece + 1];
  std::string line;
  for (int n; (n = in.read(piece)) >= 0;) {
    line.append(piece, std::strlen(piece));
    if (n > 0 && piece[n - 1] != '\n')
      continue;
    take_line_names(table, line.c_str(), known);
    line.clear();
  }
  if (!line.empty()) {
    line += '\n';
    take_line_names(table, line.c_str(), known);
  }
  in.close();
  return true;
}

}  // namespace

bool read_list(name_table& table, const char* text, list_form form) {
  // Only the entries present now make a name a repeat; names this call
  // adds do not.
  known_names known;
  for (const std::string& name : table)
    known[name];
  if (form == kListFile)
    return read_list_file(table, text, known);
  read_comma_list(table, text, known);
  return true;
}

void report_unopened(const char* path, int err) {
  if (err == ENOENT || err == ENOTDIR || err == 0) {
    errmsg1(kMsgNotFound, path);
  } else {
    errmsg1(kMsgCannotRead, path, std::strerror(err));
  }
}

int not_listed(const std::string& name, const name_table& table, int n) {
  int limit = n < static_cast<int>(table.size()) ? n : static_cast<int>(table.size());
  for (int k = 0; k < limit; k++) {
    if (table[k] == name)
      return 0;
  }
  return 1;
}

}  // namespace kavel
