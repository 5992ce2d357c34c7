#include "shortened_names.h"

#include <algorithm>

namespace platform {
namespace {

constexpr const char* kEllipsis = "\xE2\x80\xA6";  // U+2026

// Where each UTF-8 character of `s` starts, and the end.
std::vector<std::size_t> characterStarts(const std::string& s)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    starts.push_back(s.size());
    return starts;
}

}  // namespace

std::size_t characterCount(const std::string& s)
{
    return characterStarts(s).size() - 1;
}

std::string shortenedInMiddle(const std::string& name, std::size_t keep)
{
    const std::vector<std::size_t> starts = characterStarts(name);
    const std::size_t n = starts.size() - 1;
    if (n <= keep)
        return name;
    const std::size_t head = (keep + 1) / 2, tail = keep / 2;
    return name.substr(0, starts[head]) + kEllipsis + name.substr(starts[n - tail]);
}

std::string withNamesShortened(const std::string& message, const std::vector<std::string>& names, std::size_t keep)
{
    std::string out;
    for (std::size_t i = 0; i < message.size();) {
        const auto at = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
            return !name.empty() && message.compare(i, name.size(), name) == 0;
        });
        if (at == names.end()) {
            out += message[i++];
        } else {
            out += shortenedInMiddle(*at, keep);
            i += at->size();
        }
    }
    return out;
}

}  // namespace platform
