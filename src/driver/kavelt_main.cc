// The run: help, then the arguments from left to right (options fill the
// flags and name lists, every other argument is a source scanned at once,
// so an option acts on the files named after it), then the project headers
// the sources included, then the sources again to record calls, and last
// the listing, the texts of the requested functions or their call trees. A source or list
// file that could not be read, an option that failed, or a requested
// function that could not be printed is reported and the run goes on; it
// ends with status 2 so that a script can tell.
#include "driver/kavelt_main.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <cstring>
#include <string>
#include <vector>

#include "driver/read_list.h"
#include "extract/body_printer.h"
#include "extract/tree_writer.h"
#include "scanner/include_files.h"
#include "scanner/quiet_lines.h"
#include "scanner/self_calls.h"
#include "scanner/source_pass.h"
#include "scanner/tokenizer.h"
#include "support/message_texts.h"
#include "support/messages.h"
#include "support/options.h"
#include "support/str_list.h"
#include "tables/fun_table.h"
#include "tables/ignore_list.h"
#include "tables/name_checks.h"
#include "tables/pattern.h"
#include "tables/separators.h"

#define KAVEL_VERSION "0.93"

namespace kavel {

// The help text is Shift-JIS (code page 932) whatever the compiler's source
// character set, so the Japanese lines are written as byte escapes; the
// English beside each says what it reads.
const char* const usage_msg[] = {
    // Prints a list of function names or the bodies of functions.
    "\x8a\xd6\x90\x94\x96\xbc\x82\xcc\x83\x8a\x83X\x83g\x82\xdc\x82\xbd\x82\xcd\x8a\xd6\x90"
    "\x94\x82\xcc\x8e\xc0\x91\xcc\x82\xf0\x8fo\x97\xcd\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    " ",
    "Usage: kavel [-fius] [-EUC] [-l <list1>] [-L <file1>] [-r <list2>]",
    "             [-R <file2>] [-m <list3>] [-M <file3>]",
    "             [-I <dir>] <c_files>",
    " ",
    "Parameter:",
    "   -fus:",
    // f  when printing bodies, embeds the file name as a comment at the
    "     f         \x8a\xd6\x90\x94\x8e\xc0\x91\xcc\x82\xf0\x8fo\x97\xcd\x82\xb7\x82\xe9"
    "\x8f\xea\x8d\x87\x81"
    "A\x8a\xd6\x90\x94\x82\xcc\x90\xe6\x93\xaa\x82\xc9\x83t\x83@\x83"
    "C\x83\x8b\x96\xbc\x82\xf0\x83R\x83\x81\x83\x93\x83g\x82\xc6\x82\xb5\x82\xc4\x96\x84",
    //    head of the function,
    "               \x82\xdf\x8d\x9e\x82\xdd\x82\xdc\x82\xb7\x81"
    "B",
    //    but not when the file is that of the function printed just before.
    "               \x82\xbd\x82\xbe\x82\xb5\x81"
    "A\x92\xbc\x91O\x82\xcc\x8a\xd6\x90\x94\x82\xc6\x83t\x83@\x83"
    "C\x83\x8b\x82\xaa\x93\xaf\x82\xb6\x8f\xea\x8d\x87\x82\xc9\x82\xcd\x8fo\x97\xcd\x82\xb5"
    "\x82\xdc\x82\xb9\x82\xf1\x81"
    "B",
    // i  when listing names, follows each name with file name and line
    "     i         \x8a\xd6\x90\x94\x96\xbc\x82\xf0\x8fo\x97\xcd\x82\xb7\x82\xe9\x8f\xea"
    "\x8d\x87\x81"
    "A\x8a\xd6\x90\x94\x96\xbc\x82\xcc\x8c\xe3\x82\xc9\x83t\x83@\x83"
    "C\x83\x8b\x96\xbc\x8by\x82\xd1\x8ds\x94\xd4\x8d\x86\x82\xf0\x8e\x9f\x82\xcc\x8c`\x8e"
    "\xae",
    //    number in the form
    "               \x82\xc5\x8fo\x97\xcd\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    //    name:file:line
    "                   \x8a\xd6\x90\x94\x96\xbc:\x83t\x83@\x83"
    "C\x83\x8b\x96\xbc:\x8ds\x94\xd4\x8d\x86",
    // u  when printing bodies, embeds the calling function's name as a
    "     u         \x8a\xd6\x90\x94\x8e\xc0\x91\xcc\x82\xf0\x8fo\x97\xcd\x82\xb7\x82\xe9"
    "\x8f\xea\x8d\x87\x81"
    "A\x83R\x81[\x83\x8b\x8c\xb3\x82\xcc\x8a\xd6\x90\x94\x96\xbc\x82\xf0\x83R\x83\x81\x83"
    "\x93\x83g\x82\xc6\x82\xb5\x82\xc4\x96\x84\x82\xdf\x8d\x9e\x82\xdd",
    //    comment.
    "               \x82\xdc\x82\xb7\x81"
    "B",
    // s  when listing only, shows a function's first line, not its name.
    "     s         \x8a\xd6\x90\x94\x96\xbc\x82\xcc\x82\xdd\x82\xcc\x95\\\x8e\xa6\x82\xcc"
    "\x8f\xea\x8d\x87\x81"
    "A\x8a\xd6\x90\x94\x96\xbc\x82\xc5\x82\xcd\x82\xc8\x82\xad\x8a\xd6\x90\x94\x82\xcc\x90"
    "\xe6\x93\xaa\x8ds\x82\xf0\x95\\\x8e\xa6\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    // t  prints the call tree instead of function bodies.
    "     t         \x8a\xd6\x90\x94\x8e\xc0\x91\xcc\x82\xcc\x91\xe3\x82\xed\x82\xe8\x82"
    "\xc9\x8a\xd6\x90\x94\x82\xcc\x8c\xc4\x82\xd1\x8fo\x82\xb5\x83" "c\x83\x8a\x81[\x82\xf0"
    "\x8fo\x97\xcd\x82\xb5\x82\xdc\x82\xb7\x81" "B",
    // d  prints the call tree in Graphviz's DOT form.
    "     d         \x8c\xc4\x82\xd1\x8fo\x82\xb5\x83" "c\x83\x8a\x81[\x82\xf0Graphviz\x82"
    "\xcc" "DOT\x8c`\x8e\xae\x82\xc5\x8fo\x97\xcd\x82\xb5\x82\xdc\x82\xb7\x81" "B",
    " ",
    // -EUC  takes the character set to be EUC.
    "   -EUC        \x95\xb6\x8e\x9a\x83Z\x83"
    "b\x83g\x82\xf0"
    "EUC\x83R\x81[\x83h\x82\xc6\x82\xdd\x82\xc8\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    " ",
    // -l  list of functions whose bodies are printed
    "   -l <list1>  \x8a\xd6\x90\x94\x82\xcc\x8e\xc0\x91\xcc\x82\xf0\x8fo\x97\xcd\x82\xb7"
    "\x82\xe9\x8a\xd6\x90\x94\x96\xbc\x82\xcc\x83\x8a\x83X\x83g",
    //     without it only function names are listed.
    "               \x82\xb1\x82\xea\x82\xf0\x8f\xc8\x97\xaa\x82\xb5\x82\xbd\x8f\xea\x8d"
    "\x87\x82\xc9\x82\xcd\x81"
    "A\x8a\xd6\x90\x94\x96\xbc\x82\xcc\x82\xdd\x82\xaa\x8fo\x97\xcd\x82\xb3\x82\xea\x82\xdc"
    "\x82\xb7\x81"
    "B",
    //     each function name is written as follows.
    "               \x82\xbb\x82\xea\x82\xbc\x82\xea\x82\xcc\x8a\xd6\x90\x94\x96\xbc\x82"
    "\xcd\x8e\x9f\x82\xcc\x82\xe6\x82\xa4\x82\xc9\x8ew\x92\xe8\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    "                   [@]<function>",
    //     with @, the functions below <function> are printed too.
    "                @\x82\xf0\x95t\x89\xc1\x82\xb5\x82\xbd\x8f\xea\x8d\x87\x82\xc9\x82\xcd"
    "\x81"
    "A<function>\x82\xcc\x89\xba\x88\xca\x82\xcc\x8a\xd6\x90\x94\x82\xe0\x8fo\x97\xcd\x82"
    "\xb5\x82\xdc\x82\xb7\x81"
    "B",
    //     with ^, the functions above <function> are printed too.
    "                ^\x82\xf0\x95t\x89\xc1\x82\xb5\x82\xbd\x8f\xea\x8d\x87\x82\xc9\x82\xcd"
    "\x81" "A<function>\x82\xcc\x8f\xe3\x88\xca\x82\xcc\x8a\xd6\x90\x94\x82\xe0\x8fo\x97\xcd"
    "\x82\xb5\x82\xdc\x82\xb7\x81" "B",
    //     several names are joined with commas.
    "               \x95\xa1\x90\x94\x8ew\x92\xe8\x82\xb7\x82\xe9\x8f\xea\x8d\x87\x82\xc9"
    "\x82\xcd\x81"
    "A\x83J\x83\x93\x83}\x82\xc5\x8c\x8b\x8d\x87\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    //     each name may use the wildcards (*,?).
    "               \x8a"
    "e\x8a\xd6\x90\x94\x96\xbc\x82\xc9\x82\xcd\x83\x8f\x83"
    "C\x83\x8b\x83h\x83J\x81[\x83h(*,?)\x82\xf0\x8eg\x97p\x82\xc5\x82\xab\x82\xdc\x82\xb7"
    "\x81"
    "B",
    // -L  file naming the functions whose bodies are printed
    "   -L <file1>  \x8a\xd6\x90\x94\x82\xcc\x8e\xc0\x91\xcc\x82\xf0\x8fo\x97\xcd\x82\xb7"
    "\x82\xe9\x8a\xd6\x90\x94\x96\xbc\x82\xf0\x8bL\x8fq\x82\xb5\x82\xbd\x83t\x83@\x83"
    "C\x83\x8b\x96\xbc",
    //     a text file that lists function names.
    "               \x82\xb1\x82\xea\x82\xcd\x8a\xd6\x90\x94\x96\xbc\x82\xf0\x97\x85\x97"
    "\xf1\x82\xb5\x82\xbd\x83"
    "e\x83L\x83X\x83g\x83t\x83@\x83"
    "C\x83\x8b\x82\xc5\x82\xb7\x81"
    "B",
    //     a function tree written by moxit is accepted as well.
    "               \x82\xdc\x82\xbd\x81"
    "Amoxit\x82\xc5\x8fo\x97\xcd\x82\xb3\x82\xea\x82\xbd\x8a\xd6\x90\x94\x83"
    "c\x83\x8a\x81[\x82\xcc\x82\xe0\x82\xcc\x82\xe0\x8ew\x92\xe8\x82\xc5\x82\xab\x82\xdc"
    "\x82\xb7\x81"
    "B",
    // -r  list of function names to exclude
    "   -r <list2>  \x8f\x9c\x8aO\x82\xb7\x82\xe9\x8a\xd6\x90\x94\x96\xbc\x83\x8a\x83X\x83g",
    //     several names are joined with commas.
    "               \x95\xa1\x90\x94\x8ew\x92\xe8\x82\xb7\x82\xe9\x8f\xea\x8d\x87\x82\xc9"
    "\x82\xcd\x81"
    "A\x83J\x83\x93\x83}\x82\xc5\x8c\x8b\x8d\x87\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    //     each name may use wildcards.
    "               \x8a"
    "e\x8a\xd6\x90\x94\x96\xbc\x82\xc9\x82\xcd\x83\x8f\x83"
    "C\x83\x8b\x83h\x83J\x81[\x83h\x82\xf0\x8eg\x97p\x82\xc5\x82\xab\x82\xdc\x82\xb7\x81"
    "B",
    // -R  file naming the functions to exclude
    "   -R <file2>  \x8f\x9c\x8aO\x82\xb7\x82\xe9\x8a\xd6\x90\x94\x96\xbc\x82\xf0\x8bL\x8fq"
    "\x82\xb5\x82\xbd\x83t\x83@\x83"
    "C\x83\x8b\x96\xbc",
    //     a text file that lists the names to exclude.
    "               \x82\xb1\x82\xea\x82\xcd\x8f\x9c\x8aO\x82\xb7\x82\xe9\x8a\xd6\x90\x94"
    "\x96\xbc\x82\xf0\x97\x85\x97\xf1\x82\xb5\x82\xbd\x83"
    "e\x83L\x83X\x83g\x83t\x83@\x83"
    "C\x83\x8b\x82\xc5\x82\xb7\x81"
    "B",
    // -m  list of files to take for a function name defined twice
    "   -m <list3>  \x93\xaf\x88\xea\x8a\xd6\x90\x94\x96\xbc\x82\xc9\x91\xce\x82\xb7\x82"
    "\xe9\x83t\x83@\x83"
    "C\x83\x8b\x8ew\x92\xe8\x83\x8a\x83X\x83g",
    //     several names are joined with commas.
    "               \x95\xa1\x90\x94\x8ew\x92\xe8\x82\xb7\x82\xe9\x8f\xea\x8d\x87\x82\xc9"
    "\x82\xcd\x81"
    "A\x83J\x83\x93\x83}\x82\xc5\x8c\x8b\x8d\x87\x82\xb5\x82\xdc\x82\xb7\x81"
    "B",
    // -M  file naming the files to take for a function name defined twice
    "   -M <file3>  \x93\xaf\x88\xea\x8a\xd6\x90\x94\x96\xbc\x82\xc9\x91\xce\x82\xb7\x82"
    "\xe9\x83t\x83@\x83"
    "C\x83\x8b\x8ew\x92\xe8\x82\xf0\x8bL\x8fq\x82\xb5\x82\xbd\x83t\x83@\x83"
    "C\x83\x8b\x96\xbc",
    //     a text file that lists the files to take for a function name
    "               \x82\xb1\x82\xea\x82\xcd\x93\xaf\x88\xea\x8a\xd6\x90\x94\x96\xbc\x82"
    "\xc9\x91\xce\x82\xb7\x82\xe9\x83t\x83@\x83"
    "C\x83\x8b\x8ew\x92\xe8\x82\xf0\x97\x85\x97\xf1\x82\xb5\x82\xbd\x83"
    "e\x83L\x83X\x83g\x83t\x83@\x83"
    "C\x83\x8b",
    //     defined twice.
    "               \x82\xc5\x82\xb7\x81"
    "B",
    // -I  directory path holding header files
    "   -I <dir>    \x83w\x83"
    "b\x83_\x81[\x83t\x83@\x83"
    "C\x83\x8b\x82\xcc\x82\xa0\x82\xe9\x83"
    "f\x83"
    "B\x83\x8c\x83N\x83g\x83\x8a\x83p\x83X",
    // <c_files>  C source file names
    "   <c_files>   \x82\x83\x8c\xbe\x8c\xea\x82\xcc\x83\\\x81[\x83X\x83t\x83@\x83"
    "C\x83\x8b\x96\xbc",
    " ",
    "Version: " KAVEL_VERSION,
    "",
};

// The help of --help. Every option has a line of its own, beginning with
// the option.
const char help_text[] = R"(Usage: kavel [-dfgistu] [-EUC] [-l <list>] [-L <file>] [-r <list>] [-R <file>]
             [-m <list>] [-M <file>] [-I <dir>] <c_files>
             [--files-from <file>]
       kavel --help | --version | -usage

Lists the functions that C source files define, or prints the text of the
named ones with the comment above each. Arguments are read from left to
right: an option acts on the source files named after it.

  -i          listing lines carry file and line: name;file;line
  -s          listing lines show each function's header line (wins over -i)
  -l <list>   print the text of these functions (comma-separated list)
  -L <file>   the same, with the names read from a file
  -r <list>   exclude these names; !name re-admits a name
  -R <file>   the same, with the names read from a file
  -m <list>   take a name defined in several files from these files
  -M <file>   the same, with the file names read from a file
  -I <dir>    also look for #include "..." headers in this folder
  --files-from <file>  scan the source files named in <file>, one a line
              (- reads standard input), as if they were written here
  -f          with -l: /* File: name */ before a function from another file
  -u          with -l @name: /* Called by: name */ before each function
              (with ^name: /* Calls: name */)
  -t          call trees instead of texts: with -l/-L one tree per entry,
              without them a tree from every function no other calls
  -d          as -t, but the trees as one Graphviz DOT graph
  -g          with -l: a function's text starts right after the previous one
  -EUC        multi-byte text in the sources is EUC, not Shift-JIS
  -usage      (alone) the help text in Japanese, Shift-JIS encoded
  --help      print this help
  --version   print the name and version

In lists * and ? are wildcards, @name prints name and everything below it in
the call tree, ^name name and everything above it (its callers), file#name
takes the definitions in that file and file:line#name the one on that line.
Exit status: 0 done; 1 ended early (help text, memory, output not written);
2 a source or list file, an option or a requested function failed.
)";

namespace {

// Headers under the system directory are the C library's, never the project's.
constexpr char kSystemInclude[] = "/usr/include";
constexpr size_t kSystemIncludeLen = sizeof kSystemInclude - 1;

struct list_option {
  const char* name;
  name_table option_state::*table;
  list_form form;
};

constexpr list_option kListOptions[] = {
    {"-l", &option_state::fun_list, kListText},  {"-L", &option_state::fun_list, kListFile},
    {"-r", &option_state::ign_list, kListText},  {"-R", &option_state::ign_list, kListFile},
    {"-m", &option_state::file_list, kListText}, {"-M", &option_state::file_list, kListFile},
};

const list_option* find_list_option(const char* arg) {
  for (const list_option& o : kListOptions) {
    if (std::strcmp(arg, o.name) == 0)
      return &o;
  }
  return nullptr;
}

// The options whose next argument is their parameter, whatever it looks like.
bool takes_parameter(const char* arg) {
  return find_list_option(arg) != nullptr || std::strcmp(arg, "-I") == 0 ||
         std::strcmp(arg, "--files-from") == 0;
}

// Long options are whole words after "--", which no group of switch letters
// begins with. --help and --version answer before anything is read,
// wherever they stand (but not as an option's parameter); null when
// neither is given.
const char* early_answer(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    if (takes_parameter(argv[i])) {
      i++;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      return help_text;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      return "kavel " KAVEL_VERSION "\n";
    }
  }
  return nullptr;
}

void print_help() {
  for (int k = 0; usage_msg[k][0]; k++)
    std::printf("%s\n", usage_msg[k]);
  kavel_exit(1);
}

void print_short_usage() {
  errmsg1("%s\n", usage_msg[2]);
  errmsg1("%s\n", usage_msg[3]);
  kavel_exit(1);
}

// A group of one-letter switches ("-fi"). Letters go on after an unknown
// one; false when there was one.
bool set_switches(const char* group, int& head_flag) {
  bool known = true;
  for (const char* p = group + 1; *p; p++) {
    switch (*p) {
      case 'd':
        g_opt.dot_flag = 1;
        break;
      case 'f':
        g_opt.file_flag = 1;
        break;
      case 'g':
        g_opt.lead_flag = 1;
        break;
      case 'i':
        g_opt.line_flag = 1;
        break;
      case 's':
        head_flag = 1;
        break;
      case 't':
        g_opt.tree_flag = 1;
        break;
      case 'u':
        g_opt.caller_flag = 1;
        break;
      default:
        errmsg1(kMsgUnknownSwitch, *p);
        known = false;
        break;
    }
  }
  return known;
}

// False (after the message) when `file` cannot be scanned. Only a regular
// file is read: a FIFO or a device would be waited on or read for ever.
bool scan_first_pass(const char* file) {
  struct stat st;
  if (stat(file, &st) != 0) {
    report_unopened(file, errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    report_unopened(file, EISDIR);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    errmsg1(kMsgCannotRead, file, kMsgNotRegularFile);
    return false;
  }
  if (!g_scan.fp.open(file, &st)) {
    report_unopened(file, errno);
    return false;
  }
  scan_source(file, kFirstPass, &g_names.mac_cnt);
  g_scan.fp.close();
  return true;
}

// Headers recorded while this walk scans others are scanned too: the count
// is read afresh each round. The headers scanned go to `scanned` in order.
void scan_include_files(name_map<char>& named, std::vector<std::string>& scanned) {
  for (int k = 0; k < g_inc.inc_cnt && k < static_cast<int>(g_inc.inc_path.size()); k++) {
    // Copies: the scan may add entries and move the tables.
    std::string path = g_inc.inc_path[k];
    std::string name = k < static_cast<int>(g_inc.inc_name.size()) ? g_inc.inc_name[k] : path;
    if (named.find(path) != nullptr)
      continue;  // it was scanned as a source file
    if (path.compare(0, kSystemIncludeLen, kSystemInclude) == 0)
      continue;
    if (!g_scan.fp.open(path.c_str())) {
      errmsg1(kMsgNotFound, name);
      continue;
    }
    scan_source(path.c_str(), kFirstPass, &g_names.mac_cnt);
    g_scan.fp.close();
    scanned.push_back(path);
  }
}

void scan_second(const char* file) {
  if (!g_scan.fp.open(file))
    return;  // the first pass has reported it
  scan_source(file, kSecondPass, nullptr);
  g_scan.fp.close();
}

// The headers come after the sources, in the first pass's order, so that a
// name's definitions are met in the order of its records.
void scan_second_pass(const std::vector<const char*>& sources,
                      const std::vector<std::string>& headers) {
  g_tab.gfun_cnt = 0;
  g_tab.lfun_cnt = 0;
  for (const char* file : sources)
    scan_second(file);
  for (const std::string& file : headers)
    scan_second(file.c_str());
}

// Whether what the run prints reads the calls: the call trees, and the
// texts of a list that walks from a function (@name, ^name). The listing
// and the texts of named functions read only what the first pass records.
bool prints_calls(bool listed) {
  if (g_opt.tree_flag || g_opt.dot_flag)
    return true;
  if (!listed)
    return false;
  for (const std::string& entry : g_opt.fun_list) {
    if (!entry.empty() && (entry[0] == '@' || entry[0] == '^'))
      return true;
  }
  return false;
}

// The bytes [from, to) of `file`, read through `window`, which stays on
// the file from one call to the next: the records come in file order, so
// each file is opened once. False when they cannot be read.
bool read_range(text_window& window, std::string& open_file, const char* file, long long from,
                long long to, std::string& text) {
  if (from < 0 || to < from)
    return false;
  if (!window.is_open() || open_file != file) {
    open_file = file;
    if (!window.open(file))
      return false;
  }
  std::string_view bytes = window.span(from, to);
  if (bytes.size() != static_cast<size_t>(to - from))
    return false;
  text.assign(bytes);
  return true;
}

// The spans [first, second) of `text` that hold a literal or a comment,
// where no scan finds a call. Only what surely is one: a literal closed
// on its line, a block comment closed, a line comment to its line's end.
// A text with a byte above 0x7F gets none, as the two-byte rule may take
// a quote or a slash with the byte before it.
std::vector<std::pair<size_t, size_t>> quiet_spans(const std::string& text) {
  std::vector<std::pair<size_t, size_t>> spans;
  for (unsigned char c : text) {
    if (c >= 0x80)
      return spans;
  }
  const char* base = text.c_str();
  for (const char* p = base; (p = std::strpbrk(p, "\"'/")) != nullptr;) {
    const char* end = nullptr;
    if (p[0] != '/') {
      end = closed_literal(p);
    } else if (p[1] == '*') {
      // A comment in a replacement may run on over its continued lines.
      end = std::strstr(p + 2, "*/");
      if (end != nullptr)
        end += 2;
    } else if (p[1] == '/') {
      end = std::strchr(p, '\n');
      if (end == nullptr)
        end = base + std::strlen(base);
    }
    if (end == nullptr) {
      ++p;
      continue;
    }
    spans.emplace_back(static_cast<size_t>(p - base), static_cast<size_t>(end - base));
    p = end;
  }
  return spans;
}

// How many times `name` stands as a word in `text`, where no directive
// word (#define, #undef, #ifdef, #ifndef, defined) names it: those neither
// call nor assign. With `past_quiet`, neither does a literal or a comment.
size_t count_word(const std::string& text, const std::string& name, bool past_quiet) {
  auto word_byte = [&](size_t k) {
    return k < text.size() && kSep.at[static_cast<unsigned char>(text[k])] < 0;
  };
  auto after_directive = [&](size_t at) {
    size_t end = text.find_last_not_of(" \t(", at == 0 ? 0 : at - 1);
    if (end == std::string::npos || at == 0 || !word_byte(end))
      return false;
    size_t begin = end;
    while (begin > 0 && word_byte(begin - 1))
      begin--;
    const std::string word = text.substr(begin, end + 1 - begin);
    return word == "define" || word == "undef" || word == "ifdef" || word == "ifndef" ||
           word == "defined";
  };
  const std::vector<std::pair<size_t, size_t>> quiet =
      past_quiet ? quiet_spans(text) : std::vector<std::pair<size_t, size_t>>();
  size_t next_quiet = 0;
  size_t n = 0;
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    while (next_quiet < quiet.size() && quiet[next_quiet].second <= at)
      next_quiet++;
    if (next_quiet < quiet.size() && quiet[next_quiet].first <= at)
      continue;  // inside a literal or a comment
    if ((at == 0 || !word_byte(at - 1)) && !word_byte(at + name.size()) && !after_directive(at))
      n++;
  }
  return n;
}

// Whether the text of macro record `f` names it more often than the bare
// uses pass 1 noted; true when the text cannot be read. A macro defined in
// a body has its text start at the body's start, so a use of the name
// there counts too (an assignment of it to a local variable).
bool named_unseen(const fun_info& f, int no, text_window& window, std::string& open_file) {
  std::string text;
  if (!read_range(window, open_file, f.file.c_str(), f.top_pos(), f.end_pos(), text))
    return true;
  const std::string name = f.name.c_str();
  // Most texts name the macro no more often than noted: only a count
  // above that looks past literals and comments.
  const uint32_t bare = bare_uses(no);
  return count_word(text, name, false) > bare && count_word(text, name, true) > bare;
}

// Whether the listing may read what the pass over calls records: a macro
// that pass 2 finds calling itself in its own replacement is listed. Pass 1
// noted where that may happen (see self_calls.h). Lists that refuse
// definitions (-r, -m) leave bodies without a record, which close the open
// record of their name out of turn, so the record read may not be the one
// pass 1 noted: with them any macro counts.
bool listing_reads_calls() {
  const bool refusing = !g_opt.ign_list.empty() || !g_opt.file_list.empty();
  const int count = std::min(g_tab.fun_no, static_cast<int>(g_tab.Finf.size()));
  text_window window;
  std::string open_file;
  for (int k = 0; k < count; k++) {
    const fun_info& f = g_tab.Finf[k];
    if (f.kind != kMacro || f.name.empty())
      continue;
    const char* name = f.name.c_str();
    if (std::strpbrk(name, "\x01\x02") != nullptr)
      return true;  // bytes that read as wildcards
    if (refusing)
      return true;
    const bool first = ser_fun(name) == k;
    if (first && (may_call_itself(k, name, first) || named_unseen(f, k, window, open_file)))
      return true;
  }
  return false;
}

// The requested functions, or with no list the forest of the whole
// program, written through `out`. False when a requested function could not
// be written. The functions an @ or ^ walk meets do not count: a code base
// calls what it does not define.
bool walk_requested(walk_output& out, bool listed) {
  if (!listed) {
    walk_forest(out);
    return true;
  }
  name_table& list = g_opt.fun_list;
  size_t used = 0;
  while (used < list.size() && !list[used].empty())
    used++;
  for (size_t k = 0; k < used; k++)
    conv_search_str(list[k]);
  bool all = true;
  for (size_t k = 0; k < used; k++) {
    std::string entry = list[k];
    if (walk_entry(entry, out) < 0)
      all = false;
  }
  return all;
}

bool print_requested(bool listed) {
  if (g_opt.dot_flag) {
    dot_output out;
    return walk_requested(out, listed);
  }
  if (g_opt.tree_flag) {
    tree_output out;
    return walk_requested(out, listed);
  }
  text_output out;
  return walk_requested(out, listed);
}

void print_listing(int head_flag) {
  int count = g_tab.fun_no < static_cast<int>(g_tab.Finf.size())
                  ? g_tab.fun_no
                  : static_cast<int>(g_tab.Finf.size());
  for (int k = 0; k < count; k++) {
    const fun_info* f = &g_tab.Finf[k];
    // Macros are printed on request but never listed; a record with no name
    // was displaced by a definition from a preferred file.
    if (!f || f->kind == kMacro || f->name.empty())
      continue;
    if (head_flag) {
      if (f->dup == 1)
        std::printf("%s;", f->file.c_str());
      std::fputs(f->first_line(), stdout);
    } else if (g_opt.line_flag) {
      // A listing has a line per function: printf's parsing of its format
      // cost more than the writing.
      char number[16];
      int at = sizeof number;
      unsigned line = f->line < 0 ? 0u - static_cast<unsigned>(f->line) : f->line;
      do {
        number[--at] = static_cast<char>('0' + line % 10);
        line /= 10;
      } while (line != 0);
      if (f->line < 0)
        number[--at] = '-';
      std::fputs(f->name.c_str(), stdout);
      std::putc(';', stdout);
      std::fputs(f->file.c_str(), stdout);
      std::putc(';', stdout);
      std::fwrite(number + at, 1, sizeof number - at, stdout);
      std::putc('\n', stdout);
    } else if (f->dup == 1) {
      std::fputs(f->file.c_str(), stdout);
      std::putc(';', stdout);
      std::fputs(f->name.c_str(), stdout);
      std::putc('\n', stdout);
    } else {
      std::fputs(f->name.c_str(), stdout);
      std::putc('\n', stdout);
    }
  }
}

}  // namespace

namespace {

// The source names of a --files-from list, one a line; false when the
// list cannot be read. "-" reads standard input.
bool read_files_from(const char* path, std::deque<std::string>& names) {
  const bool std_in = std::strcmp(path, "-") == 0;
  struct stat st;
  if (!std_in && stat(path, &st) == 0 && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  FILE* in = std_in ? stdin : std::fopen(path, "rb");
  if (in == nullptr)
    return false;
  char* line = nullptr;
  size_t room = 0;
  for (ssize_t n; (n = getline(&line, &room, in)) >= 0;) {
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
      line[--n] = 0;
    if (n > 0)
      names.emplace_back(line, static_cast<size_t>(n));
  }
  std::free(line);
  if (!std_in)
    std::fclose(in);
  return true;
}

}  // namespace

namespace {

// False when no argument can set -s, so that no listing will print the
// first lines of the records. Any switch group holding an 's' counts,
// wherever it stands: keeping them when unneeded only costs memory.
bool may_list_first_lines(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    if (arg[0] == '-' && arg[1] != '-' && std::strchr(arg + 1, 's') != nullptr)
      return true;
  }
  return false;
}

// What the command line sets up as it is read, one argument after another:
// sources are scanned by the first pass where they stand, so options take
// effect for the files after them.
struct command_line {
  int body_mode = 0;
  int head_flag = 0;
  bool failed = false;
  std::vector<const char*> sources;
  bool read_before_euc = false;    // a source was read before -EUC was given
  name_map<char> named;            // every source named, scanned or not
  std::deque<std::string> listed;  // names read by --files-from; kept in place

  void take_source(const char* file) {
    named[file];
    read_before_euc |= g_opt.euc_flag == 0;
    if (scan_first_pass(file))
      sources.push_back(file);
    else
      failed = true;
  }
  // The sources of the list file `list`, scanned in its order.
  void take_files_from(const char* list) {
    size_t first = listed.size();
    if (!read_files_from(list, listed)) {
      report_unopened(list, errno);
      failed = true;
    }
    for (size_t k = first; k < listed.size(); k++)
      take_source(listed[k].c_str());
  }
  // Reads argument `i`, and its parameter if it takes one; the index of the
  // last argument used.
  int read(int argc, char** argv, int i) {
    const char* arg = argv[i];
    // Body mode holds even when the list itself is missing.
    if (std::strcmp(arg, "-l") == 0 || std::strcmp(arg, "-L") == 0)
      body_mode = 1;
    if (std::strcmp(arg, "-EUC") == 0) {
      g_opt.euc_flag = 1;
    } else if (const list_option* o = find_list_option(arg)) {
      if (i + 1 < argc) {
        failed |= !read_list(g_opt.*(o->table), argv[++i], o->form);
      } else {
        errmsg1(kMsgListMissing, arg);
        failed = true;
      }
    } else if (std::strcmp(arg, "-I") == 0) {
      if (i + 1 < argc) {
        g_opt.inc_dir.push_back(argv[++i]);
      } else {
        errmsg1(kMsgDirMissing);
        failed = true;
      }
    } else if (std::strcmp(arg, "--files-from") == 0) {
      if (i + 1 < argc) {
        take_files_from(argv[++i]);
      } else {
        errmsg1(kMsgFileMissing, arg);
        failed = true;
      }
    } else if (arg[0] == '-' && arg[1] == '-') {
      errmsg1(kMsgUnknownOption, arg);  // --help and --version were answered
      failed = true;
    } else if (arg[0] == '-') {
      failed |= !set_switches(arg, head_flag);
    } else {
      take_source(arg);
    }
    return i;
  }
};

}  // namespace

int kavelt_main(int argc, char** argv) {
  g_tab.Finf.keep_heads = may_list_first_lines(argc, argv);
  if (argc == 2 && std::strcmp(argv[1], "-usage") == 0)
    print_help();
  if (argc < 2)
    print_short_usage();
  if (const char* answer = early_answer(argc, argv)) {
    std::fputs(answer, stdout);
    return 0;
  }

  command_line c;
  for (int i = 1; i < argc; i++)
    i = c.read(argc, argv, i);

  std::vector<std::string> headers;
  scan_include_files(c.named, headers);
  // A listing prints no relation: pass 2 then keeps none.
  const bool walks = c.body_mode || g_opt.tree_flag || g_opt.dot_flag;
  g_tab.keep_calls = walks;
  // Of messages the pass over calls prints only those of an #endif inside a
  // body with no #if open. While the watch finds the run even, the first
  // pass printed none and the second would print none; -EUC after a source
  // would make the second read that source anew.
  if (prints_calls(c.body_mode != 0) || g_scan.watch.uneven ||
      (c.read_before_euc && g_opt.euc_flag) || listing_reads_calls())
    scan_second_pass(c.sources, headers);

  if (walks) {
    c.failed |= !print_requested(c.body_mode != 0);
  } else {
    print_listing(c.head_flag);
  }
  std::fflush(stdout);
  return c.failed ? 2 : 0;
}

void reset_all() {
  reset_scanning();
  reset_printer();
}

}  // namespace kavel
