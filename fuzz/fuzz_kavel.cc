// The whole program in-process. The input is a command line and up to five
// files: its first line holds the arguments (split on blanks), the rest is
// cut at each RS byte (0x1E) into a.c, b.c, h.h, d/i.h and l.txt, written to
// a private directory that is the current directory while kavel runs. A
// fatal end of the run throws instead of exiting, so it ends one input only.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "driver/kavelt_main.h"
#include "support/messages.h"

namespace {

constexpr const char* kFiles[] = {"a.c", "b.c", "h.h", "d/i.h", "l.txt"};
constexpr size_t kMaxArgs = 48;
constexpr char kFileSep = '\x1e';

std::string g_dir;
FILE* g_null = nullptr;

// Keeps every path inside the private directory: no absolute paths and no
// way up, so no input reads the machine's files (or blocks on a device).
std::string tame(std::string w) {
  if (!w.empty() && w[0] == '/')
    w[0] = '_';
  for (size_t p; (p = w.find("..")) != std::string::npos;)
    w.replace(p, 2, "__");
  return w;
}

void write_file(const std::string& path, const char* data, size_t n) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    std::abort();
  if (n)
    std::fwrite(data, 1, n, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/kavel-fuzz-XXXXXX";
  if (!mkdtemp(tmpl))
    std::abort();
  g_dir = tmpl;
  mkdir((g_dir + "/d").c_str(), 0755);
  g_null = std::fopen("/dev/null", "w");
  // The listing and the texts go nowhere; libFuzzer reports on stderr.
  if (!std::freopen("/dev/null", "w", stdout))
    std::abort();
  kavel::g_exit_throws = true;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* p = reinterpret_cast<const char*>(data);
  const char* end = p + size;

  const char* eol = p;
  while (eol < end && *eol != '\n')
    eol++;
  std::vector<std::string> words{"kavel"};
  for (const char* w = p; w < eol && words.size() < kMaxArgs;) {
    while (w < eol && *w == ' ')
      w++;
    const char* e = w;
    while (e < eol && *e != ' ')
      e++;
    // An argument holds no NUL: the command line could not pass one.
    if (e > w)
      words.push_back(tame(std::string(w, e)).c_str());
    w = e;
  }

  const char* q = eol < end ? eol + 1 : end;
  size_t made = 0;
  for (; made < sizeof kFiles / sizeof kFiles[0] && q < end; made++) {
    const char* e = q;
    while (e < end && *e != kFileSep)
      e++;
    write_file(g_dir + "/" + kFiles[made], q, static_cast<size_t>(e - q));
    q = e < end ? e + 1 : end;
  }
  for (size_t k = made; k < sizeof kFiles / sizeof kFiles[0]; k++)
    unlink((g_dir + "/" + kFiles[k]).c_str());

  std::vector<char*> argv;
  for (std::string& w : words)
    argv.push_back(&w[0]);
  argv.push_back(nullptr);

  int here = open(".", O_RDONLY | O_DIRECTORY);
  if (here < 0 || chdir(g_dir.c_str()) != 0)
    std::abort();
  kavel::reset_all();
  kavel::errfp = g_null;
  try {
    kavel::kavelt_main(static_cast<int>(argv.size() - 1), argv.data());
  } catch (const kavel::exit_request&) {
    // The tool's own early ends: help, an overlong argument list.
  }
  std::fflush(stdout);
  kavel::reset_all();  // closes the files the run left open
  kavel::errfp = nullptr;
  if (fchdir(here) != 0)
    std::abort();
  close(here);
  return 0;
}
