#include "arguments.h"

#include <climits>
#include <cstdlib>

namespace cli {

std::optional<std::string> Arguments::value(const std::string& name) const
{
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

const std::string& Arguments::required(const std::string& name) const
{
    const auto it = values.find(name);
    if (it == values.end())
        throw UsageError("the option --" + name + " is required");
    return it->second;
}

namespace {

const OptionKind* findLong(const std::vector<OptionKind>& options, const std::string& name)
{
    for (const auto& o : options)
        if (o.name == name)
            return &o;
    return nullptr;
}

const OptionKind* findShort(const std::vector<OptionKind>& options, char letter)
{
    for (const auto& o : options)
        if (o.letter != 0 && o.letter == letter)
            return &o;
    return nullptr;
}

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args, const std::vector<OptionKind>& options)
{
    Arguments out;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            out.help = true;
            continue;
        }
        if (arg == "--version" || arg == "-V") {
            out.version = true;
            continue;
        }
        const OptionKind* kind = nullptr;
        std::optional<std::string> inlineValue;
        if (arg[1] == '-') {
            const std::size_t eq = arg.find('=');
            kind = findLong(options, arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2));
            if (eq != std::string::npos)
                inlineValue = arg.substr(eq + 1);
        } else {
            kind = findShort(options, arg[1]);
            if (arg.size() > 2)
                inlineValue = arg.substr(2);
        }
        if (!kind)
            throw UsageError("unknown option '" + arg + "'");
        if (out.has(kind->name))
            throw UsageError("the option --" + kind->name + " is given twice");
        if (!kind->takesValue) {
            if (inlineValue)
                throw UsageError("the option --" + kind->name + " takes no value");
            out.values[kind->name] = "";
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size())
                throw UsageError("the option --" + kind->name + " needs a value");
            inlineValue = args[++i];
        }
        out.values[kind->name] = *inlineValue;
    }
    return out;
}

int parseNumber(const std::string& text, const std::string& what, int min, int max)
{
    const std::string range = max == INT_MAX ? "of at least " + std::to_string(min)
                                             : "from " + std::to_string(min) + " to " + std::to_string(max);
    bool digits = !text.empty();
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] >= '0' && text[i] <= '9') && !(i == 0 && text.size() > 1 && (text[i] == '-' || text[i] == '+')))
            digits = false;
    if (!digits)
        throw Refusal(what + " must be a whole number " + range + ", not '" + text + "'");
    // Out of range, strtoll gives the nearest end of long long: still refused.
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v > max && max == INT_MAX)
        throw Refusal(what + " is too large: " + text);
    if (v < min || v > max)
        throw Refusal(what + " must be a whole number " + range + ", not " + text);
    return int(v);
}

}  // namespace cli
