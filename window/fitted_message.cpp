#include "fitted_message.h"

#include <algorithm>

#include "platform/shortened_names.h"

namespace window {
namespace {

// A name shortened further than this is no longer recognisable: the label
// shrinks its font instead.
constexpr std::size_t kFewestKept = 12;

}  // namespace

std::string fittedMessage(const platform::Host& host, const std::string& label, const std::string& message,
                          std::vector<std::string> names)
{
    if (host.fitsAtUsualSize(label, message))
        return message;
    std::erase_if(names, [](const std::string& name) { return name.empty(); });
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    std::size_t longest = 0;
    for (const std::string& name : names)
        longest = std::max(longest, platform::characterCount(name));
    // The most characters kept with which the message fits.
    std::size_t fits = 0, fails = longest;
    if (!host.fitsAtUsualSize(label, platform::withNamesShortened(message, names, 0)))
        return platform::withNamesShortened(message, names, std::min(longest, kFewestKept));
    while (fails - fits > 1) {
        const std::size_t mid = fits + (fails - fits) / 2;
        (host.fitsAtUsualSize(label, platform::withNamesShortened(message, names, mid)) ? fits : fails) = mid;
    }
    return platform::withNamesShortened(message, names, fits);
}

}  // namespace window
