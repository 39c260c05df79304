// Process entry: everything else lives in the library so tests and the fuzz
// targets drive the same code.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <new>

#include "driver/kavelt_main.h"
#include "support/alloc.h"
#include "support/message_texts.h"
#include "support/messages.h"

namespace {
// A listing of a large code base is many short lines; one big buffer keeps
// them from costing a write each. It must outlive the final flush at exit.
char stdout_buf[1 << 16];

// Messages come by the thousand on a large tree (each definition past the
// table's end is reported), one write each on an unbuffered stream. Sent
// somewhere of their own they are gathered like the listing; on a
// terminal, or into the very file or pipe the standard output goes to,
// each still goes out at once, where it belongs among the output.
char stderr_buf[1 << 16];

bool messages_apart() {
  struct stat err, out;
  if (isatty(2) || fstat(2, &err) != 0)
    return false;
  bool shared = fstat(1, &out) == 0 && err.st_dev == out.st_dev && err.st_ino == out.st_ino;
  return !shared || S_ISCHR(err.st_mode);
}
}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, stdout_buf, _IOFBF, sizeof stdout_buf);
  if (messages_apart())
    std::setvbuf(stderr, stderr_buf, _IOFBF, sizeof stderr_buf);
  int status;
  try {
    // The tables start out empty as the program starts; no reset is needed.
    status = kavel::kavelt_main(argc, argv);
  } catch (const std::bad_alloc&) {
    kavel::out_of_memory(0);
  }
  // A listing that never reached its file (a full disk, say) must not end
  // as a success; whatever else failed, the output is what is missing.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    kavel::errmsg(kavel::kMsgCannotWrite);
    status = 1;
  }
  // Tearing down tens of thousands of strings and records would take longer
  // than a small run itself; the output is flushed and the process ends.
  std::fflush(stderr);
  _exit(status);
}
