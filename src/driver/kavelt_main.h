// The run: help, options and sources interleaved (pass 1), the include
// pass, pass 2 over the sources, then the listing or the function texts.
#ifndef KAVEL_DRIVER_KAVELT_MAIN_H_
#define KAVEL_DRIVER_KAVELT_MAIN_H_

namespace kavel {

// The 44 help lines (Shift-JIS), ended by an empty string.
extern const char* const usage_msg[];

// 0 after a normal run, 2 when a source or list file, an option or a
// requested function failed (the run goes on after each); --help and
// --version give 0. The Japanese help ends the run with status 1.
int kavelt_main(int argc, char** argv);
// Puts every subsystem back to its start state (tests, fuzzing).
void reset_all();

}  // namespace kavel

#endif  // KAVEL_DRIVER_KAVELT_MAIN_H_
