#pragma once
// The three off-screen channel canvases: the picture on the grid, one
// channel value per pixel. The brain samples these, never the window.
#include "platform/surface.h"

namespace brain {

struct Canvases {
    platform::Surface plane[3];

    // Keeps every canvas at least as large as the window's surface.
    void cover(int width, int height);
    // Fills the same rectangle on all three, each with its channel of c.
    void fillRect(int x1, int y1, int x2, int y2, int red, int green, int blue);
    void line(int x1, int y1, int x2, int y2, int red, int green, int blue);
    void setPoint(int x, int y, int red, int green, int blue);
};

}  // namespace brain
