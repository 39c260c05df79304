// The name-list reader, both forms. The input is written as a list file
// and read with the file form; the same bytes up to the first NUL are then
// read as a comma list. Checks what every reader of the tables relies on.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/read_list.h"
#include "support/messages.h"
#include "support/options.h"

namespace {

std::string g_path;
FILE* g_null = nullptr;

void check(bool ok) {
  if (!ok)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/kavel-fuzz-list-XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd < 0)
    std::abort();
  close(fd);
  g_path = tmpl;
  g_null = std::fopen("/dev/null", "w");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using kavel::name_table;
  kavel::errfp = g_null;

  FILE* f = std::fopen(g_path.c_str(), "wb");
  if (!f)
    std::abort();
  if (size)
    std::fwrite(data, 1, size, f);
  std::fclose(f);

  name_table file_names;
  kavel::read_list(file_names, g_path.c_str(), kavel::kListFile);
  for (const std::string& n : file_names) {
    // A name is a run of the file without blanks or line ends, whole
    // however long its line.
    check(!n.empty() && n.size() <= size);
    check(n.find_first_of(" \t\n") == std::string::npos);
    check(n.find('\0') == std::string::npos);
  }
  // A second read of the same file adds nothing that is already there.
  name_table again = file_names;
  kavel::read_list(again, g_path.c_str(), kavel::kListFile);
  for (size_t k = file_names.size(); k < again.size(); k++)
    check(kavel::not_listed(again[k], file_names, static_cast<int>(file_names.size())) == 1);

  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));
  name_table items;
  kavel::read_list(items, text.c_str(), kavel::kListText);
  check(!items.empty());
  // Nothing is refused: the items joined by commas give the text back.
  std::string joined;
  for (size_t k = 0; k < items.size(); k++)
    joined += (k ? "," : "") + items[k];
  check(joined == text);
  kavel::errfp = nullptr;
  return 0;
}
