#pragma once
// Picture files without a window: an image file read into a surface of colour
// numbers, and a surface encoded as PNG, JPEG, BMP or any other format the
// toolkit writes. Plain C++ on this side; the image codecs behind it are the
// toolkit's.
#include <string>
#include <vector>

#include "platform/file_result.h"
#include "platform/surface.h"

namespace platform {

// What a picture that cannot be read is refused as: "Cannot read the image
// "name": why."
inline constexpr char kReadImage[] = "read the image";

// The whole image as its pixels are stored (no orientation applied), each
// pixel as r + 256 g + 65536 b; transparency is dropped, the colour
// channels are kept as stored. For looking at pictures this program wrote.
FileResult readImage(const std::string& path, Surface& out);

// The top-left side x side pixels of the image read from the open file
// descriptor (left open), which refusals call `name`, as the image is meant
// to be seen: turned as its EXIF orientation says. Only those pixels are
// decoded where the format allows, so a photograph of any size will do.
// `width` and `height` get the image's size as seen; when it is smaller
// than side x side, `out` stays empty and the result is still ok. A damaged
// or cut-short file is refused, with what the codecs would have printed on
// stderr as the reason: stderr is taken for the time of the read, so no
// other thread should write there.
FileResult readImageCorner(int fd, const std::string& name, int side, Surface& out, int& width, int& height);

// The formats encodeImage writes, by the names files use as their suffix
// ("bmp", "jpg", "png", ...), in lower case and sorted.
std::vector<std::string> writableImageFormats();

// The width x height pixels at the surface's top-left corner as the bytes of
// a picture file in `format` (one of writableImageFormats()), each pixel
// drawn as a scale x scale block; refused as "Cannot write "name": why.",
// `name` being the file the bytes are for. For PNG, zlibLevel 0..9 trades
// time for size: 1 is the fastest that compresses, 6 the usual.
FileResult encodeImage(const Surface& surface, int width, int height, int scale, const std::string& format,
                       std::string& bytes, const std::string& name, int zlibLevel = 6);

// encodeImage as PNG.
FileResult encodePng(const Surface& surface, int width, int height, int scale, std::string& png,
                     const std::string& name, int zlibLevel = 6);

// Widest and tallest picture encodeImage makes.
constexpr int kLargestPictureSide = 16384;

}  // namespace platform
