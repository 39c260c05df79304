// Reads names from a comma list or from a list file. A list file may be the
// function tree of a call-tree tool: each line there carries a bracketed
// number (or a <n> mark) before the function name, often behind glyphs and
// dots, so the reader takes the word after the first bracket of a line and
// passes over everything in front of it.
#include "driver/read_list.h"

#include <cerrno>
#include <cstring>

#include "scanner/line_reader.h"
#include "support/messages.h"

namespace kavel {

namespace {

// Adds `name` unless one of the entries present before this read already
// holds it: names given twice in one list are both kept, a name repeated by
// a later option is not.
void add_unlisted(name_table& table, const std::string& name, int known) {
  if (not_listed(name, table, known))
    table.push_back(name);
}

void read_comma_list(name_table& table, const char* text, int known) {
  const char* p = text;
  for (;;) {
    if (static_cast<int>(table.size()) >= kNameTableMax) {
      errmsg1("internal error; functions list table overflow\n");
      return;
    }
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

// Takes the names of one line (which ends in '\n'). False once the table
// is full: the rest of the file is dropped.
bool take_line_names(name_table& table, const char* line, int known) {
  const char* p = line;
  for (;;) {
    while (*p == ' ' || *p == '\t' || *p == '.')
      p++;
    if (*p == '\n' || *p == 0)
      return true;
    if (static_cast<int>(table.size()) >= kNameTableMax) {
      errmsg1("Internal error; functions list table overflow\n");
      return false;
    }
    const char* open = std::strchr(p, '[');
    if (!open)
      open = std::strchr(p, '<');
    if (open) {
      const char* q = open + 1;
      while (*q && *q != '\n' && *q != ']' && *q != '>')
        q++;
      if (*q != ']' && *q != '>')
        return true;  // never closed: the rest is no name
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
      return true;
    p = end + 1;
  }
}

bool read_list_file(name_table& table, const char* path, int known) {
  line_reader in;
  if (!in.open(path)) {
    report_unopened(path, errno);
    return false;
  }
  // One more byte than a piece and its terminator: a piece cut before its
  // line end gets a line feed of its own, so a name is cut where the piece
  // ends.
  char line[kLinePiece + 2];
  while (in.read(line) >= 0) {
    size_t len = std::strlen(line);
    if (len == 0 || line[len - 1] != '\n') {
      line[len] = '\n';
      line[len + 1] = 0;
    }
    if (!take_line_names(table, line, known))
      break;
  }
  in.close();
  return true;
}

}  // namespace

bool read_list(name_table& table, const char* text, int form) {
  // Only the entries present now make a name a repeat; names this call
  // adds do not.
  int known = static_cast<int>(table.size());
  if (form != 0)
    return read_list_file(table, text, known);
  read_comma_list(table, text, known);
  return true;
}

void report_unopened(const char* path, int err) {
  if (err == ENOENT || err == ENOTDIR || err == 0) {
    errmsg1("\"%s\": not found\n", path);
  } else {
    errmsg1("\"%s\": cannot be read (%s)\n", path, std::strerror(err));
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
