#pragma once
// The checks on an output made before any work is done, so that a refusal
// comes at once and not after the work: the writer's rules for what may be
// replaced, and, for commands that turn one file into another kind, their
// own input.
#include <string>

namespace cli {

// A Refusal when `target` can never be written, or names the same file as
// `input` (when given): a picture or brain written over its own source.
void checkOutputPath(const std::string& target, const std::string& input = {});

// A command's report line: on stdout (a failed write there is a Refusal),
// or on stderr when the command's output is standard output, so that it
// never mixes with the file's bytes. When `flush`, it goes out now.
void report(const std::string& target, const std::string& text, bool flush = false);

}  // namespace cli
