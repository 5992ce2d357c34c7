#pragma once
// An exact pixel surface: every point reads back the colour number last
// written to it. Used for the window's retained image and for the three
// off-screen channel canvases. Plain C++, no toolkit.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// r + 256 g + 65536 b, as the program counts colours.
using Colour = std::uint32_t;

constexpr Colour rgb(int r, int g, int b)
{
    return Colour(r) | (Colour(g) << 8) | (Colour(b) << 16);
}

// What a read off the surface returns: not black, so it blocks the maze.
constexpr Colour kOffSurface = 0xFFFFFFFFu;

struct Rect {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
    bool empty() const { return right < left || bottom < top; }
};

class Surface {
public:
    explicit Surface(int width = 0, int height = 0, Colour fill = 0);

    int width() const { return width_; }
    int height() const { return height_; }

    // Changes the visible size. Storage only ever grows, so what was painted
    // outside a smaller size comes back when the surface grows again; points
    // never painted read as `fill`.
    void resize(int width, int height, Colour fill);

    Colour point(int x, int y) const
    {
        return inside(x, y) ? pixels_[index(x, y)] : kOffSurface;
    }
    void setPoint(int x, int y, Colour c)
    {
        if (!inside(x, y))
            return;
        pixels_[index(x, y)] = c;
        touch(x, y, x, y);
    }

    // Both corners included, in either order.
    void fillRect(int x1, int y1, int x2, int y2, Colour c);
    // The border points of the same rectangle.
    void outline(int x1, int y1, int x2, int y2, Colour c);
    // From the first point up to, not including, the second.
    void line(int x1, int y1, int x2, int y2, Colour c);

    // Row y for the hot loops that read; the caller keeps within width().
    const Colour* row(int y) const { return pixels_.data() + std::size_t(y) * std::size_t(stride_); }
    // Points x1..x2 of row y for a hot loop to write. The span is marked as
    // changed here, so no write can go unseen by the display. The caller
    // keeps within the surface.
    std::span<Colour> changeRow(int y, int x1, int x2)
    {
        touch(x1, y, x2, y);
        return {pixels_.data() + index(x1, y), x2 < x1 ? 0 : std::size_t(x2 - x1 + 1)};
    }

    // The area changed since the last call, for the display to repaint.
    Rect takeDirty();

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

private:
    Colour* mutableRow(int y) { return pixels_.data() + std::size_t(y) * std::size_t(stride_); }
    void touch(int x1, int y1, int x2, int y2);
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(stride_) + std::size_t(x); }

    int width_ = 0, height_ = 0;
    int stride_ = 0, rows_ = 0;  // allocated size
    std::vector<Colour> pixels_;
    Rect dirty_;
};

}  // namespace platform
