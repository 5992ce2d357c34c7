#pragma once
// Picture files without a window: an image file read into a surface of colour
// numbers, and a surface encoded as PNG. Plain C++ on this side; the image
// codecs behind it are the toolkit's.
#include <string>

#include "platform/surface.h"

namespace platform {

// error: plain words saying why, ready to show the user.
struct ImageResult {
    bool ok = false;
    std::string error;
};

// The whole image, each pixel as r + 256 g + 65536 b; transparency is
// dropped, the colour channels are kept as stored.
ImageResult readImage(const std::string& path, Surface& out);

// The width x height pixels at the surface's top-left corner as the bytes of
// a PNG file, each pixel drawn as a scale x scale block. zlibLevel 0..9
// trades time for size: 1 is the fastest that compresses, 6 the usual.
ImageResult encodePng(const Surface& surface, int width, int height, int scale, std::string& png,
                      int zlibLevel = 6);

// Widest and tallest picture encodePng makes.
constexpr int kLargestPictureSide = 16384;

}  // namespace platform
