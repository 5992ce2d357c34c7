#pragma once
// The one writer every file of ours goes through, brains and pictures alike,
// from the window, cerebrix-cli and anything built on them. A write is
// complete or not done at all: the new file takes its target's place only
// when every byte is written, and after any failure the old file is as it
// was and nothing is left behind. What may be replaced, and what not, is
// decided once, for every caller (see targetProblem in target.h). It knows
// bytes and files, nothing of what they hold.
#include <string>

#include "storage/file_result.h"

namespace storage {

struct WriteOptions {
    // Force the data to the disk before the new file takes the old one's place,
    // so that a power cut leaves either the old or the new file, never a hole.
    bool sync = true;
};

// Whether `path` may be written, checked before any work is done: ok, or
// "Cannot write "path": why."
FileResult checkOutput(const std::string& path);

// `bytes` as the whole of `path` (or standard output).
FileResult writeFile(const std::string& path, const std::string& bytes, WriteOptions options = {});

}  // namespace storage
