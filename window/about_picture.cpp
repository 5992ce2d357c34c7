// The About panel's picture, drawn by the program itself: a night-blue field
// with a stepped pyramid of coloured layers narrowing to one bright apex,
// the brain as the program sees it.
#include "about_picture.h"

namespace window {

platform::Surface aboutPicture()
{
    constexpr int w = 148, h = 191;
    platform::Surface pic(w, h, 0);
    for (int y = 0; y < h; ++y)
        pic.fillRect(0, y, w - 1, y, platform::rgb(10, 12, 40 + y * 60 / h));

    // Twelve layers, 10 rows high with one row between them, each 10 pixels
    // narrower than the one below (5 on either side); the lowest is 128 wide.
    const int layers = 12, base = 128, step = 10, bottom = 170;
    for (int z = 0; z < layers; ++z) {
        const int half = base / 2 - z * (step / 2);
        const int left = w / 2 - half, right = w / 2 + half - 1;
        const int lower = bottom - z * 11, upper = lower - 9;
        const int r = (40 + z * 53) % 256, g = (200 - z * 37 + 256) % 256, b = (90 + z * 71) % 256;
        pic.fillRect(left, upper, right, lower, platform::rgb(r, g, b));
        pic.outline(left, upper, right, lower, platform::rgb(r / 2, g / 2, b / 2));
    }
    // The apex: a white 2 x 2 point in a 6 x 6 golden glow.
    const int ax = w / 2, ay = bottom - layers * 11 - 6;
    pic.fillRect(ax - 3, ay - 3, ax + 2, ay + 2, platform::rgb(255, 220, 120));
    pic.fillRect(ax - 1, ay - 1, ax, ay, platform::rgb(255, 255, 255));
    return pic;
}

}  // namespace window
