#pragma once
// The checks on an output made before any work is done, so that a refusal
// comes at once and not after the work: the writer's rules for what may be
// replaced, and, for commands that turn one file into another kind, their
// own input.
#include <cstdio>
#include <string>

namespace cli {

// A Refusal when `target` can never be written, or names the same file as
// `input` (when given): a picture or brain written over its own source.
void checkOutputPath(const std::string& target, const std::string& input = {});

// Where a command's report lines go: stderr when its output is standard
// output, so that they never mix with the file's bytes.
std::FILE* reportStream(const std::string& target);

}  // namespace cli
