// Helpers shared by the unit tests: feed a string to the scanner's reader,
// capture messages and standard output.
#ifndef KAVEL_TESTS_TEST_UTIL_H_
#define KAVEL_TESTS_TEST_UTIL_H_

#include <cstdio>
#include <string>

namespace kavel {

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

}  // namespace kavel

#endif  // KAVEL_TESTS_TEST_UTIL_H_
