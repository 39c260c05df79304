// #include resolution. Only the directive lines of a header are read here,
// so nested project headers are recorded (depth first, each right after
// the file that names it) before the driver scans any of them.
#include "scanner/include_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "scanner/line_reader.h"
#include "scanner/tokenizer.h"
#include "support/message_texts.h"
#include "support/messages.h"

namespace kavel {

include_state g_inc;
void reset_includes() { g_inc = include_state{}; }

namespace {

// A header is a regular file. The name comes from the scanned text, not
// from the user, so a FIFO would block the run at the open and a device
// such as /dev/zero would never end: both count as not found.
bool open_header(line_reader& file, const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return file.open(path.c_str(), &st);
}

// A compiler looks for "name" in the including file's folder first. That
// folder is tried here only after the other places, so a header found
// before is found where it was; a folder already searched is passed over.
bool open_beside(line_reader& file, const char* from, const std::string& name,
                 std::string& path) {
  const char* slash = from ? std::strrchr(from, dirsep) : nullptr;
  if (!slash) return false;  // the current folder, searched first
  std::string beside = std::string(from, slash + 1) + name;
  if (beside == std::string(".") + dirsep + name || g_inc.missing_beside.count(beside) != 0)
    return false;
  if (!open_header(file, beside)) {
    g_inc.missing_beside.insert(std::move(beside));
    return false;
  }
  path = std::move(beside);
  return true;
}

}  // namespace

int add_include(const char* text, int depth, const char* from) {
  if (depth >= kIncludeDepth) return 0;
  bool angle = text[0] == '<';
  const char* close = angle ? index(text, '>') : (text[0] ? index(text + 1, '"') : nullptr);
  if (!close) return -1;
  std::string name(text + 1, close);
  // Names come back with every file that includes them: they are looked up
  // in a set kept beside the list (and made again when the list was filled
  // by hand).
  if (g_inc.recorded_upto != g_inc.inc_name.size()) {
    g_inc.recorded.clear();
    g_inc.recorded_beside.clear();
    g_inc.recorded.insert(g_inc.inc_name.begin(), g_inc.inc_name.end());
    g_inc.recorded_upto = g_inc.inc_name.size();
  }
  if (g_inc.recorded.count(name) != 0) {
    return 0;
  }

  // A header that is not there is named again by file after file (a
  // tree's <linux/...> headers by hundreds); it is looked for once for
  // each set of -I directories, which only ever grows.
  if (g_inc.missing_dirs != g_opt.inc_dir.size()) {
    g_inc.missing.clear();
    g_inc.missing_dirs = g_opt.inc_dir.size();
  }
  std::string key = text[0] + name;
  auto miss = g_inc.missing.find(key);
  line_reader file;
  std::string path;
  bool found = false;
  if (miss != g_inc.missing.end()) {
    path = miss->second;
  } else {
    path = std::string(angle ? "/usr/include" : ".") + dirsep + name;
    found = open_header(file, path);
    for (size_t k = 0; !found && k < g_opt.inc_dir.size(); k++) {
      path = g_opt.inc_dir[k] + dirsep + name;
      found = open_header(file, path);
    }
    if (!found)
      g_inc.missing.emplace(std::move(key), path);
  }
  bool beside = false;
  if (!found && !angle) {
    if (const char* slash = from ? std::strrchr(from, dirsep) : nullptr) {
      if (g_inc.recorded_beside.count(std::string(from, slash + 1) + name) != 0)
        return 0;
    }
    found = beside = open_beside(file, from, name, path);
  }
  if (!found) {
    if (!angle) errmsg1(kMsgNotFound, path);
    return -1;
  }
  g_inc.inc_name.push_back(name);
  if (beside)
    g_inc.recorded_beside.insert(path);
  else
    g_inc.recorded.insert(name);
  g_inc.recorded_upto = g_inc.inc_name.size();
  g_inc.inc_path.push_back(path);
  g_inc.inc_cnt++;

  // Only #include lines matter here; the others are passed over uncopied.
  char line[kLinePiece + 1];
  while (file.read_next_starting(line, "#include", 8) >= 0) {
    const char* rest = line + 8;
    while (*rest == ' ' || *rest == '\t') rest++;
    add_include(rest, depth + 1, path.c_str());
  }
  return 0;
}

}  // namespace kavel
