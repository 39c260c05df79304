// What pass 1 learns for the question whether pass 2 could find a macro
// calling itself. A macro so marked is listed as a function, so a listing
// leaves pass 2 out only when no macro can be marked.
//
// Pass 2 marks a macro only for a call of its name met on the lines of its
// own replacement, when its record is the first of the name. It reads those
// lines as pass 1 does, except where it knows the function-name variables
// (pass 1 stores none): a call through a variable goes to the names
// assigned to it, and a variable passed along counts as a call. So pass 1
// notes, for each macro it records, how the replacement names the macro:
// as a call, or bare where pass 2 may take it for a call. For the run it
// notes which names are declared as pointers to functions and which are
// assigned or initialised at file level, where such assignments last
// until a body ends. What a body declares or assigns ends with the body;
// for a #define inside one, the body's text before it is looked at as
// well. After pass 1 the driver counts the name in each macro's text:
// a use pass 1 did not note (one an analyser passed over) counts as a call.
#ifndef KAVEL_SCANNER_SELF_CALLS_H_
#define KAVEL_SCANNER_SELF_CALLS_H_

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

namespace kavel {

// A set of names that may answer yes for a name never added (never no for
// one added): a false yes only costs a run pass 2.
class name_sieve {
 public:
  void add(std::string_view name);
  bool may_hold(std::string_view name) const;
  static constexpr unsigned kBits = 22;

 private:
  struct release {
    void operator()(uint64_t* p) const { std::free(p); }
  };
  // From calloc: the system hands out zero pages untouched, so a small run
  // pays only for the pages its names fall on.
  std::unique_ptr<uint64_t[], release> bits_;
};

// How a replacement names its own macro.
enum self_use : uint8_t {
  kSelfEntry = 1,        // a call of the name (`M(`), as pass 1 reads it
  kSelfPlainCode = 2,    // the bare name outside a call: a calling macro's name
  kSelfPlainGroup = 4,   // the bare name in a call's group, or `(*M)(`
  kSelfInBody = 8,       // the #define stands inside a body, among its locals
  kSelfThroughPointer = 16,  // a call of, or passing along, a pointer declared
                             // at file level, which may hold the name
};

// What pass 1 noted of one macro record: the self_use bits, and how many
// times the replacement named the macro bare, where pass 2 may call nothing.
struct self_notes {
  int record = -1;
  uint8_t uses = 0;
  uint32_t bare = 0;
};

struct self_call_watch {
  // The macro whose replacement pass 1 reads, or null; `record` its record.
  const char* name = nullptr;
  int record = -1;
  self_notes notes;  // of that replacement

  name_sieve pointers;  // declared as pointers to functions at file level
  name_sieve assigned;  // assigned, or in an initialiser, at file level
  // The notes of the macro records that have any, in record order: few
  // of a whole tree's records, so not a slot for every record.
  std::vector<self_notes> by_record;

  // Pass 1 at word `t` of a replacement, in the place `use` says: noted if
  // it is the macro's own name, or in a call's place a pointer's.
  void note_word(const char* t, self_use use) {
    if (name != nullptr)
      note(t, use);
  }
  void note(const char* t, self_use use);
  // Ends the replacement being read.
  void close();
};

extern self_call_watch g_self;

// After pass 1: whether pass 2 may mark macro record `no`, named `name`,
// as calling itself, by what pass 1 noted. `first` says the record is the
// first of its name. The caller also counts the name in the record's text:
// a use pass 1 did not note (a word an analyser passes over, one in a
// body before the #define) counts as a call.
bool may_call_itself(int no, const char* name, bool first);
// How many times pass 1 noted the name bare in record `no`'s replacement.
uint32_t bare_uses(int no);
void reset_self_calls();

}  // namespace kavel

#endif  // KAVEL_SCANNER_SELF_CALLS_H_
