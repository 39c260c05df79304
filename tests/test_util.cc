#include "test_util.h"

#include <unistd.h>

#include "scanner/tokenizer.h"
#include "support/messages.h"

namespace kavel {

void feed_source(const std::string& text) {
  FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  g_scan.fp.open_stream(f);
}

static std::string slurp(FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  return s;
}

capture_messages::capture_messages() : f_(std::tmpfile()) { errfp = f_; }
capture_messages::~capture_messages() {
  errfp = nullptr;
  std::fclose(f_);
}
std::string capture_messages::text() {
  std::string s = slurp(f_);
  std::fseek(f_, 0, SEEK_END);
  return s;
}

capture_stdout::capture_stdout() : tmp_(std::tmpfile()) {
  std::fflush(stdout);
  saved_fd_ = dup(fileno(stdout));
  dup2(fileno(tmp_), fileno(stdout));
}
capture_stdout::~capture_stdout() {
  std::fflush(stdout);
  dup2(saved_fd_, fileno(stdout));
  close(saved_fd_);
  std::fclose(tmp_);
}
std::string capture_stdout::text() {
  std::fflush(stdout);
  std::string s = slurp(tmp_);
  std::fseek(tmp_, 0, SEEK_END);
  return s;
}

}  // namespace kavel
