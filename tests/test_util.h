// Helpers shared by the unit tests: feed a string to the scanner's reader,
// capture messages and standard output, write files for a run to read.
#ifndef KAVEL_TESTS_TEST_UTIL_H_
#define KAVEL_TESTS_TEST_UTIL_H_

#include <cstdio>
#include <string>

namespace kavel {

// Puts the tables and the scanner back to their start state, as the
// driver's reset does for everything: the tests below the driver use it.
void reset_below_driver();

// Opens `text` as the source being scanned (g_scan.fp), as if read from a file.
void feed_source(const std::string& text);

// Collects what is written to errfp while it lives; restores errfp after.
class capture_messages {
 public:
  capture_messages();
  ~capture_messages();
  std::string text();

 private:
  FILE* f_;
};

// Collects what is written to stdout while it lives.
class capture_stdout {
 public:
  capture_stdout();
  ~capture_stdout();
  std::string text();

 private:
  int saved_fd_;
  FILE* tmp_;
};

// A file holding `bytes` under a name of its own (ctest runs the tests in
// parallel processes, so a name fixed per process would be shared); removed
// when the object goes.
class temp_file {
 public:
  explicit temp_file(const std::string& bytes);
  ~temp_file();
  temp_file(const temp_file&) = delete;
  temp_file& operator=(const temp_file&) = delete;
  const std::string& path() const { return path_; }
  const char* c_str() const { return path_.c_str(); }

 private:
  std::string path_;
};

}  // namespace kavel

#endif  // KAVEL_TESTS_TEST_UTIL_H_
