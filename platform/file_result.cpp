#include "platform/file_result.h"

namespace platform {

FileResult refusal(const std::string& verb, const std::string& name, const std::string& reason, int systemError)
{
    const std::string what = name == kStandardOutput ? " to standard output" : " \"" + name + "\"";
    return {false, "Cannot " + verb + what + ": " + reason + ".", systemError};
}

}  // namespace platform
