#pragma once
// A decoded picture's pixels as colour numbers, the one conversion both
// picture readers (a whole image, an image's corner) share.
#include <QImage>

#include "platform/surface.h"

namespace platform::detail {

// `out` becomes a surface of the image's size holding its red, green and
// blue, whatever its alpha (a transparent pixel keeps the colour it
// stores); false when there is not the memory for the conversion.
bool surfaceFromImage(const QImage& image, Surface& out);

}  // namespace platform::detail
