#pragma once
// The one answer every read and write of a file gives, brains and pictures
// alike: done, or refused with plain words for the user and, when the system
// refused a call, its error number, so that a caller can tell a bad file from
// a failing system.
#include <string>

namespace platform {

// error: "Cannot <verb> "<name>": <reason>.", ready to show the user.
// systemError: errno when the system refused a call, 0 when the file itself
// was refused.
struct FileResult {
    bool ok = false;
    std::string error;
    int systemError = 0;
};

// The name that stands for standard output (and input), as with Unix tools.
inline constexpr char kStandardOutput[] = "-";

// The refusal of `verb` ("load", "write", ...) on the file `name` for
// `reason`, worded the same for every file; "-" is standard output (an input
// is named as its reader calls it, e.g. "standard input").
FileResult refusal(const std::string& verb, const std::string& name, const std::string& reason,
                   int systemError = 0);

}  // namespace platform
