#include "fitted_message.h"

#include <algorithm>

namespace window {
namespace {

constexpr const char* kEllipsis = "\xE2\x80\xA6";  // U+2026
// A name shortened further than this is no longer recognisable: the label
// shrinks its font instead.
constexpr std::size_t kFewestKept = 12;

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

// `names` longest first, so that a name holding another is matched whole.
std::string withNamesShortened(const std::string& message, const std::vector<std::string>& names, std::size_t keep)
{
    std::string out;
    for (std::size_t i = 0; i < message.size();) {
        const auto at = std::find_if(names.begin(), names.end(), [&](const std::string& name) {
            return message.compare(i, name.size(), name) == 0;
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

}  // namespace

std::string shortenedInMiddle(const std::string& name, std::size_t keep)
{
    const std::vector<std::size_t> starts = characterStarts(name);
    const std::size_t n = starts.size() - 1;
    if (n <= keep)
        return name;
    const std::size_t head = (keep + 1) / 2, tail = keep / 2;
    return name.substr(0, starts[head]) + kEllipsis + name.substr(starts[n - tail]);
}

std::string fittedMessage(const platform::Host& host, const std::string& label, const std::string& message,
                          std::vector<std::string> names)
{
    if (host.fitsAtUsualSize(label, message))
        return message;
    std::erase_if(names, [](const std::string& name) { return name.empty(); });
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    std::size_t longest = 0;
    for (const std::string& name : names)
        longest = std::max(longest, characterStarts(name).size() - 1);
    // The most characters kept with which the message fits.
    std::size_t fits = 0, fails = longest;
    if (!host.fitsAtUsualSize(label, withNamesShortened(message, names, 0)))
        return withNamesShortened(message, names, std::min(longest, kFewestKept));
    while (fails - fits > 1) {
        const std::size_t mid = fits + (fails - fits) / 2;
        (host.fitsAtUsualSize(label, withNamesShortened(message, names, mid)) ? fits : fails) = mid;
    }
    return withNamesShortened(message, names, fits);
}

}  // namespace window
