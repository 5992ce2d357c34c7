// Pictures a brain is grown from that are not whole: cut short, or with a
// bit flipped where the picture's own layout says what must follow. Each is
// refused with one line, nothing written, and none of the codecs' chatter.
#include <gtest/gtest.h>

#include <cstdint>

#include "cli_run.h"
#include "platform/image_file.h"

namespace cli::test {
namespace {

constexpr int kSide = 40;

// Qt writes no GIF: this one holds every pixel as a 9-bit literal code, with
// a clear code often enough that the code width never grows.
std::string gifOf(const platform::Surface& picture)
{
    const int w = picture.width(), h = picture.height();
    std::string out = "GIF89a";
    const auto u16 = [&out](int v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    u16(w);
    u16(h);
    out += "\xF7";  // a global table of 256 colours: the grey levels
    out += std::string(2, '\0');
    for (int i = 0; i < 256; ++i)
        out += std::string(3, char(i));
    out += ',';
    u16(0);
    u16(0);
    u16(w);
    u16(h);
    out += '\0';
    out += char(8);  // the LZW minimum code size
    std::string data;
    std::uint32_t bits = 0;
    int count = 0;
    const auto put = [&](std::uint32_t code) {
        bits |= code << count;
        for (count += 9; count >= 8; count -= 8, bits >>= 8)
            data += char(bits & 0xFF);
    };
    put(256);
    for (int i = 0; i < w * h; ++i) {
        if (i % 250 == 249)
            put(256);
        put(picture.point(i % w, i / w) & 0xFF);
    }
    put(257);
    if (count > 0)
        data += char(bits & 0xFF);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::string block = data.substr(at, 255);
        out += char(block.size()) + block;
    }
    return out + '\0' + ';';
}

std::string pictureFile(const std::string& format)
{
    platform::Surface picture(kSide, kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            picture.setPoint(x, y, platform::rgb(x * 6, y * 6, (x * y) & 0xFF));
    if (format == "gif")
        return gifOf(picture);
    std::string bytes;
    if (!platform::encodeImage(picture, kSide, kSide, 1, format, bytes, "in." + format).ok)
        throw std::runtime_error("cannot encode " + format);
    return bytes;
}

// A byte of the file's layout that says what must follow: a bit flipped
// there asks for more rows than the file holds (the height of a BMP or a
// JPEG frame), breaks a checksum (PNG), or asks for codes wider than LZW
// has (GIF). GIF has no checksum, and Qt's decoder takes a flip inside its
// codes for other pixels: none of that can be seen.
std::size_t layoutAt(const std::string& format, const std::string& bytes)
{
    if (format == "bmp")
        return 22;
    if (format == "png")
        return 23;
    if (format == "gif")
        return 6 + 7 + 768 + 10;
    return bytes.find("\xFF\xC0") + 6;
}

TEST(CliImages, PicturesCutShortOrDamagedAreRefused)
{
    Scratch dir;
    for (const std::string format : {"bmp", "gif", "jpg", "png"}) {
        const std::string whole = pictureFile(format);
        std::string flipped = whole;
        flipped[layoutAt(format, whole)] ^= 0x10;
        std::string middle = whole;
        middle[whole.size() / 2] ^= 0x01;
        const std::vector<std::pair<std::string, std::string>> damaged = {
            {"cut at 50%", whole.substr(0, whole.size() / 2)},
            {"cut at 90%", whole.substr(0, whole.size() * 9 / 10)},
            // (A PNG cut inside its end marker still has every pixel, each
            // chunk checked: libpng does not read that far, nor does this.)
            {"cut by 16 bytes", whole.substr(0, whole.size() - 16)},
            {"layout bit flipped", flipped},
        };
        const std::string name = "in." + format;
        std::ofstream(dir.file(name), std::ios::binary) << whole;
        const Outcome good = dir.run({"new", "--size", std::to_string(kSide), "--from-image", name, "-o", "b.brain"});
        ASSERT_EQ(0, good.status) << format << ": " << good.err;
        EXPECT_TRUE(good.err.empty()) << good.err;
        fs::remove(dir.file("b.brain"));
        for (const auto& [what, bytes] : damaged)
            for (const int size : {kSide, 8}) {
                SCOPED_TRACE(format + " " + what + ", size " + std::to_string(size));
                std::ofstream(dir.file(name), std::ios::binary | std::ios::trunc) << bytes;
                const Outcome r =
                    dir.run({"new", "--size", std::to_string(size), "--from-image", name, "-o", "b.brain"});
                EXPECT_EQ(1, r.status);
                EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
                EXPECT_FALSE(fs::exists(dir.file("b.brain")));
            }
        // PNG checks every chunk: a bit flipped anywhere is seen.
        if (format == "png") {
            std::ofstream(dir.file(name), std::ios::binary | std::ios::trunc) << middle;
            const Outcome r = dir.run({"new", "--size", "8", "--from-image", name, "-o", "b.brain"});
            EXPECT_EQ(1, r.status);
            EXPECT_NE(std::string::npos, r.err.find("Cannot read the image \"in.png\": the picture is damaged"))
                << r.err;
        }
    }
}

}  // namespace
}  // namespace cli::test
