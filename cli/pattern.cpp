#include "pattern.h"

#include "arguments.h"

namespace cli {
namespace {

// Wider than any layer number; the bound keeps a slip of the finger (%0100d)
// from making names longer than a folder can hold.
constexpr int kWidest = 9;

}  // namespace

LayerPattern::LayerPattern(const std::string& pattern)
{
    const auto refuse = [&pattern](const std::string& why) {
        throw Refusal("in the output pattern \"" + pattern + "\", " + why);
    };
    bool found = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        std::string& text = found ? after_ : before_;
        if (pattern[i] != '%') {
            text += pattern[i];
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            text += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        const bool zeros = j < pattern.size() && pattern[j] == '0';
        if (zeros)
            ++j;
        int width = 0;
        while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width <= kWidest)
            width = width * 10 + (pattern[j++] - '0');
        if (j >= pattern.size() || pattern[j] != 'd')
            refuse("a % must be followed by d (the layer, as in %d, %3d or %03d) or by %");
        if (width > kWidest)
            refuse("the layer number may be at most " + std::to_string(kWidest) + " characters wide");
        if (found)
            refuse("the layer number may appear only once");
        found = true;
        width_ = width;
        zeros_ = zeros;
        i = j;
    }
    if (!found)
        throw Refusal("the output pattern \"" + pattern + "\" must hold %d where the layer number goes");
}

std::string LayerPattern::name(int layer) const
{
    std::string number = std::to_string(layer);
    if (number.size() < std::size_t(width_))
        number.insert(number.begin(), std::size_t(width_) - number.size(), zeros_ ? '0' : ' ');
    return before_ + number + after_;
}

}  // namespace cli
