#pragma once
// The four commands and what they share: each takes its parsed arguments,
// prints its results on stdout and returns the exit status; a refusal or a
// usage error is thrown (see arguments.h).
#include <string>

#include "arguments.h"
#include "brain/generation.h"
#include "storage/format/brain_format.h"

namespace cli {

int infoCommand(const Arguments& args);
int generateCommand(const Arguments& args);
int renderCommand(const Arguments& args);
int newCommand(const Arguments& args);

// The one brain file a command reads, with the Load panel's reader; "-"
// reads standard input. `length`, when given, gets the input's length in
// bytes, or -1 when it is not known beforehand (a pipe).
storage::LoadedBrain loadBrain(const Arguments& args, long long* length = nullptr);
// The same for the file `name` ("-": standard input).
storage::LoadedBrain loadBrainFile(const std::string& name, long long* length = nullptr);
// With the Save panel's writer: complete, or the old file untouched.
// `result`, a line for the user, is printed before a file is replaced, so
// that one that cannot be printed leaves the file as it was; with "-" it
// goes to stderr, after the brain.
void saveBrain(const std::string& path, const storage::LoadedBrain& brain, const std::string& result = {});

// "12,34,56 (output 102)": the apex as every command prints it.
std::string describeApex(const brain::Apex& apex);
brain::Apex storedApex(const brain::CellGrid& cells);

}  // namespace cli
