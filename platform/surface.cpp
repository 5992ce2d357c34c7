#include "surface.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

Surface::Surface(int width, int height, Colour fill)
{
    resize(width, height, fill);
}

void Surface::resize(int width, int height, Colour fill)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width > stride_ || height > rows_) {
        const int newStride = std::max(width, stride_);
        const int newRows = std::max(height, rows_);
        std::vector<Colour> grown(std::size_t(newStride) * std::size_t(newRows), fill);
        for (int y = 0; y < rows_; ++y)
            std::copy_n(pixels_.data() + std::size_t(y) * std::size_t(stride_), stride_,
                        grown.data() + std::size_t(y) * std::size_t(newStride));
        pixels_.swap(grown);
        stride_ = newStride;
        rows_ = newRows;
    }
    width_ = width;
    height_ = height;
    touch(0, 0, width_ - 1, height_ - 1);
}

void Surface::fillRect(int x1, int y1, int x2, int y2, Colour c)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, width_ - 1);
    y2 = std::min(y2, height_ - 1);
    if (x1 > x2 || y1 > y2)
        return;
    for (int y = y1; y <= y2; ++y)
        std::fill(mutableRow(y) + x1, mutableRow(y) + x2 + 1, c);
    touch(x1, y1, x2, y2);
}

void Surface::outline(int x1, int y1, int x2, int y2, Colour c)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    fillRect(x1, y1, x2, y1, c);
    fillRect(x1, y2, x2, y2, c);
    fillRect(x1, y1, x1, y2, c);
    fillRect(x2, y1, x2, y2, c);
}

void Surface::line(int x1, int y1, int x2, int y2, Colour c)
{
    // Walk the longer axis from the first point, stopping before the second;
    // the other coordinate is rounded to the nearest pixel, a tie going back
    // towards the first point's row or column.
    const long long dx = (long long)x2 - x1, dy = (long long)y2 - y1;
    const long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const long long major = std::max(adx, ady), minor = std::min(adx, ady);
    for (long long i = 0; i < major; ++i) {
        const long long along = i, across = (2 * i * minor + major - 1) / (2 * major);
        const long long x = x1 + sx * (adx >= ady ? along : across);
        const long long y = y1 + sy * (adx >= ady ? across : along);
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            continue;
        setPoint(int(x), int(y), c);
    }
}

void Surface::touch(int x1, int y1, int x2, int y2)
{
    if (x2 < x1 || y2 < y1)
        return;
    if (dirty_.empty()) {
        dirty_ = {x1, y1, x2, y2};
        return;
    }
    dirty_.left = std::min(dirty_.left, x1);
    dirty_.top = std::min(dirty_.top, y1);
    dirty_.right = std::max(dirty_.right, x2);
    dirty_.bottom = std::max(dirty_.bottom, y2);
}

Rect Surface::takeDirty()
{
    Rect r = dirty_;
    dirty_ = Rect{};
    return r;
}

}  // namespace platform
