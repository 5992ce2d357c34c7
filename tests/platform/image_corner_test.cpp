// The corner of a picture as it is meant to be seen: a JPEG's EXIF
// orientation turns it before the top-left pixels are taken.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/image_file.h"
#include "tests/scratch_dir.h"

namespace platform {
namespace {

constexpr int kWidth = 48, kHeight = 32, kSide = 24;

// A smooth picture, so that JPEG's losses stay small, in which every
// direction is told apart by its colour channel.
Surface stored()
{
    Surface s(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            s.setPoint(x, y, rgb(x * 5, y * 7, 128));
    return s;
}

// The JPEG with an EXIF block (big-endian TIFF, one entry: orientation)
// put right after its start marker.
std::string withOrientation(const std::string& jpeg, int orientation)
{
    std::string tiff("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0", 26);
    tiff[19] = char(orientation);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    const std::size_t length = body.size() + 2;
    return jpeg.substr(0, 2) + "\xFF\xE1" + char(length >> 8) + char(length & 0xFF) + body + jpeg.substr(2);
}

// Where the pixel seen at (x, y) is stored, for EXIF orientations 1..8.
void storedPoint(int orientation, int x, int y, int& sx, int& sy)
{
    const int w = kWidth, h = kHeight;
    switch (orientation) {
    case 2: sx = w - 1 - x, sy = y; break;
    case 3: sx = w - 1 - x, sy = h - 1 - y; break;
    case 4: sx = x, sy = h - 1 - y; break;
    case 5: sx = y, sy = x; break;
    case 6: sx = y, sy = h - 1 - x; break;
    case 7: sx = w - 1 - y, sy = h - 1 - x; break;
    case 8: sx = w - 1 - y, sy = x; break;
    default: sx = x, sy = y; break;
    }
}

int channelGap(Colour a, Colour b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

TEST(ImageCorner, TheExifOrientationTurnsThePictureFirst)
{
    const scratch::ScratchDir folder;
    const std::string path = folder.file("p.jpg");
    std::string jpeg;
    ASSERT_TRUE(encodeImage(stored(), kWidth, kHeight, 1, "jpg", jpeg, path).ok);
    // The pixels as decoded, unturned: JPEG's losses are the same for all.
    std::ofstream(path, std::ios::binary) << jpeg;
    Surface decoded;
    ASSERT_TRUE(readImage(path, decoded).ok);

    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << withOrientation(jpeg, orientation);
        const int fd = ::open(path.c_str(), O_RDONLY);
        Surface corner;
        int width = 0, height = 0;
        const FileResult r = readImageCorner(fd, path, kSide, corner, width, height);
        ::close(fd);
        ASSERT_TRUE(r.ok) << r.error;
        const bool turned = orientation >= 5;
        EXPECT_EQ(turned ? kHeight : kWidth, width);
        EXPECT_EQ(turned ? kWidth : kHeight, height);
        ASSERT_EQ(kSide, corner.width());
        int worst = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                int sx = 0, sy = 0;
                storedPoint(orientation, x, y, sx, sy);
                worst = std::max(worst, channelGap(decoded.point(sx, sy), corner.point(x, y)));
            }
        // A wrong turn is off by 35 or more at some pixel; cutting out the
        // corner may change how JPEG's colours are smoothed by a little.
        EXPECT_LE(worst, 6);
    }
    // Too small once turned: the size as seen, and no pixels.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << withOrientation(jpeg, 6);
    const int fd = ::open(path.c_str(), O_RDONLY);
    Surface none;
    int width = 0, height = 0;
    EXPECT_TRUE(readImageCorner(fd, path, kHeight + 1, none, width, height).ok);
    ::close(fd);
    EXPECT_EQ(kHeight, width);
    EXPECT_EQ(0, none.width());
}

}  // namespace
}  // namespace platform
