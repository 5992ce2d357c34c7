#pragma once
// The three off-screen channel canvases: the picture on the grid, one
// channel value (0..255) per pixel. The brain samples these, never the window.
#include "platform/surface.h"

namespace brain {

class Canvases {
public:
    // Channel 0 is red, 1 green, 2 blue.
    const platform::Surface& plane(int channel) const { return planes_[channel]; }
    platform::Surface& plane(int channel) { return planes_[channel]; }
    // The channel value at a point.
    int value(int channel, int x, int y) const { return int(planes_[channel].point(x, y) & 0xFF); }

    // Keeps every canvas at least as large as the window's surface.
    void cover(int width, int height);
    // Each canvas gets its own component: red on the first, and so on.
    void fillRect(int x1, int y1, int x2, int y2, int red, int green, int blue);
    void line(int x1, int y1, int x2, int y2, int red, int green, int blue);
    void setPoint(int x, int y, int red, int green, int blue);

private:
    platform::Surface planes_[3];
};

}  // namespace brain
