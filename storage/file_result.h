#pragma once
// The storage core answers with the program's one file result; these are
// its names as the storage code and its callers spell them.
#include "platform/file_result.h"

namespace storage {

using platform::FileResult;
using platform::kStandardOutput;
using platform::refusal;

}  // namespace storage
