#include "text_escape.h"

#include <cstdint>

namespace cli {
namespace {

// Bytes in the well-formed UTF-8 sequence starting at text[i], 0 if none.
std::size_t sequenceLength(const std::string& text, std::size_t i, std::uint32_t& code)
{
    const auto byte = [&](std::size_t k) { return std::uint32_t(static_cast<unsigned char>(text[k])); };
    const std::uint32_t b = byte(i);
    std::size_t length;
    std::uint32_t least;
    if (b < 0x80) {
        code = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        length = 2, least = 0x80, code = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3, least = 0x800, code = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4, least = 0x10000, code = b & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool control(std::uint32_t code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

}  // namespace

std::string printable(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t code = 0;
        std::size_t length = sequenceLength(text, i, code);
        if (length != 0 && !control(code)) {
            out.append(text, i, length);
            i += length;
            continue;
        }
        if (length == 0)
            length = 1;
        for (std::size_t k = 0; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
        i += length;
    }
    return out;
}

}  // namespace cli
