// Every message text the program writes, in one place, each used by name.
// The texts are formats for errmsg1 (fail to analize: for printf); the
// manual describes each, which the CTest manual_options checks against the
// table's source.
#ifndef KAVEL_SUPPORT_MESSAGE_TEXTS_H_
#define KAVEL_SUPPORT_MESSAGE_TEXTS_H_

namespace kavel {

// Files, functions and include files.
extern const char kMsgNotFound[];
extern const char kMsgNotFoundIn[];
extern const char kMsgCannotRead[];
extern const char kMsgNotRegularFile[];
extern const char kMsgMultipleFunction[];
extern const char kMsgMultipleDeclaration[];
// The scan.
extern const char kMsgIfdefSyntax[];
extern const char kMsgLastFunctionOpen[];
extern const char kMsgFailToAnalize[];
extern const char kMsgNoFunctionName[];
extern const char kMsgNoneStatement[];
// The command line.
extern const char kMsgUnknownSwitch[];
extern const char kMsgUnknownOption[];
extern const char kMsgListMissing[];
extern const char kMsgDirMissing[];
extern const char kMsgFileMissing[];
// Memory and output.
extern const char kMsgNoMemoryK[];
extern const char kMsgNoMemory[];
extern const char kMsgNoMemoryCopy[];
extern const char kMsgNoMemoryGrow[];
extern const char kMsgCannotWrite[];

}  // namespace kavel

#endif  // KAVEL_SUPPORT_MESSAGE_TEXTS_H_
