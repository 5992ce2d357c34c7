#include "number_text.h"

namespace commands {
namespace {

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<int> componentFromText(std::string_view text)
{
    std::size_t i = 0;
    auto next = [&]() -> char {
        while (i < text.size() && blank(text[i]))
            ++i;
        return i < text.size() ? text[i] : '\0';
    };

    bool negative = false;
    if (char c = next(); c == '-' || c == '+') {
        negative = c == '-';
        ++i;
    }
    // Only whether the whole part passes 255 matters, so it saturates.
    long whole = 0;
    while (digit(next())) {
        whole = whole > 1000 ? whole : whole * 10 + (text[i] - '0');
        ++i;
    }
    bool fraction = false;  // a non-zero digit after the point
    if (next() == '.') {
        ++i;
        while (digit(next())) {
            fraction = fraction || text[i] != '0';
            ++i;
        }
    }

    const bool zero = whole == 0 && !fraction;
    if (negative && !zero)
        return std::nullopt;
    if (whole > 255 || (whole == 255 && fraction))
        return std::nullopt;
    return int(whole);
}

}  // namespace commands
