#pragma once
// The command line taken apart: options by name, the words left over, and
// the two ways a command ends early (a usage error or a refusal).
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "storage/file_result.h"

namespace cli {

// The command line itself is wrong: exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The command is understood but cannot be done: exit status 1. It carries
// the refusal as the reader and the writer give it, errno included.
struct Refusal : std::runtime_error {
    explicit Refusal(const std::string& message) : std::runtime_error(message), result{false, message, 0} {}
    explicit Refusal(const storage::FileResult& refused) : std::runtime_error(refused.error), result(refused) {}
    storage::FileResult result;
};

struct OptionKind {
    std::string name;      // long form, without the dashes
    char letter = 0;       // short form, 0 when there is none
    bool takesValue = false;
};

struct Arguments {
    std::vector<std::string> words;  // everything that is not an option
    std::map<std::string, std::string> values;  // option name -> value ("" for a flag)
    bool help = false, version = false;

    bool has(const std::string& name) const { return values.count(name) != 0; }
    std::optional<std::string> value(const std::string& name) const;
    // The option's value; a UsageError when it is missing.
    const std::string& required(const std::string& name) const;
};

// Knows --help (-h), --version (-V) and "--" besides the given options. An option may
// come before or after the words; "--name value" and "--name=value" are the
// same. Unknown, repeated or incomplete options are a UsageError.
Arguments parseArguments(const std::vector<std::string>& args, const std::vector<OptionKind>& options);

// A whole decimal number from min to max, or a Refusal naming `what`.
int parseNumber(const std::string& text, const std::string& what, int min, int max);

}  // namespace cli
