#include "test_util.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "scanner/include_files.h"
#include "scanner/source_pass.h"
#include "scanner/tokenizer.h"
#include "support/messages.h"
#include "support/options.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/name_checks.h"

namespace kavel {

void reset_below_driver() { reset_scanning(); }

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

temp_file::temp_file(const std::string& bytes) {
  std::string name = ::testing::TempDir() + "kavel_XXXXXX";
  int fd = mkstemp(name.data());
  EXPECT_GE(fd, 0) << name;
  if (fd < 0)
    return;
  path_ = name;
  EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fd);
}
temp_file::~temp_file() {
  if (!path_.empty())
    unlink(path_.c_str());
}

}  // namespace kavel
