// The message texts. Scripts and users match on them, so each stays as it
// has always been written, odd wording included; the notes say which
// differences are meant. One text a line: the manual check reads them here.
#include "support/message_texts.h"

namespace kavel {

// clang-format off
const char kMsgNotFound[] = "\"%s\": not found\n";
const char kMsgNotFoundIn[] = "%s in \"%s\": not found\n";  // a name, not quoted, in a quoted file
const char kMsgCannotRead[] = "\"%s\": cannot be read (%s)\n";
const char kMsgNotRegularFile[] = "not a regular file";  // the reason of kMsgCannotRead for a FIFO or device
const char kMsgMultipleFunction[] = "%s in \"%s\": multiple function\n";
const char kMsgMultipleDeclaration[] = "%s in \"%s\": multiple declaration\n";

// An #endif inside a body with no #if open there; "ifdef statement" stands
// for the whole #if family.
const char kMsgIfdefSyntax[] = "syntax error; ifdef statement at %d line of \"%s\"\n";
// The capital after the semicolon is the text's own.
const char kMsgLastFunctionOpen[] = "\"%s\": syntax error; The last function is not fixed.\n";
// Spelt "analize" and written to standard output among the listing, as it
// always was: scripts that filter it out match this text.
const char kMsgFailToAnalize[] = "fail to analize: %s\n";
// Lower-case "internal error;" like the syntax errors: the text names the
// state the program found, not a crash.
const char kMsgNoFunctionName[] = "internal error; no function name\n";
const char kMsgNoneStatement[] = "internal error; %s is none statement\n";

const char kMsgUnknownSwitch[] = "-%c: unknown option\n";
const char kMsgUnknownOption[] = "%s: unknown option\n";
const char kMsgListMissing[] = "%s <list> parameter missing\n";
const char kMsgDirMissing[] = "-I <dir> parameter missing\n";
const char kMsgFileMissing[] = "%s <file> parameter missing\n";

// A refused block is reported on a line of its own, after whatever output
// was under way; "cannot get memory" ends a copy, "can't get memory" a
// string grown in place, so the two tell the failing step apart.
const char kMsgNoMemoryK[] = "\ncannot get the memory of %d K bytes\n";
const char kMsgNoMemory[] = "\ncannot get the memory of %d bytes\n";
const char kMsgNoMemoryCopy[] = "cannot get memory\n";
const char kMsgNoMemoryGrow[] = "can't get memory\n";
const char kMsgCannotWrite[] = "cannot write the standard output\n";
// clang-format on

}  // namespace kavel
