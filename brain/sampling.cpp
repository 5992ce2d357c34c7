#include "sampling.h"

#include <algorithm>

namespace brain {
namespace {

// The cell range [from, to) of one axis whose pixels land on [0, limit).
struct Span {
    int from, to;
};
Span clip(int first, int count, int origin, int limit)
{
    return {std::max(first, -origin), std::min(count, limit - origin)};
}

// The window's surface, cut to the canvases should they ever be smaller.
int limitX(const platform::Surface& window, const Canvases& canvases)
{
    int w = window.width();
    for (const auto& p : canvases.plane)
        w = std::min(w, p.width());
    return w;
}
int limitY(const platform::Surface& window, const Canvases& canvases)
{
    int h = window.height();
    for (const auto& p : canvases.plane)
        h = std::min(h, p.height());
    return h;
}

}  // namespace

void sampleInput(CellGrid& grid, const Canvases& canvases, const platform::Surface& window, Origin origin)
{
    const int n = grid.size();
    const Span xs = clip(0, n, origin.x, limitX(window, canvases));
    const Span ys = clip(0, n, origin.y, limitY(window, canvases));
    for (int c = 0; c < kChannels; ++c) {
        const platform::Surface& canvas = canvases.plane[c];
        for (int y = ys.from; y < ys.to; ++y) {
            const platform::Colour* src = canvas.row(origin.y + y) + origin.x;
            std::uint8_t* dst = grid.row(c, y, 0);
            // Canvases only ever hold channel values 0..255.
            for (int x = xs.from; x < xs.to; ++x)
                dst[x] = std::uint8_t(src[x]);
        }
    }
}

void displayLayer(const CellGrid& grid, int z, platform::Surface& window, Canvases& canvases, Origin origin)
{
    const int n = grid.size();
    const Span xs = clip(z, n, origin.x, limitX(window, canvases));
    const Span ys = clip(z, n, origin.y, limitY(window, canvases));
    if (xs.from >= xs.to || ys.from >= ys.to)
        return;
    for (int y = ys.from; y < ys.to; ++y) {
        const std::uint8_t* r = grid.row(Red, y, z);
        const std::uint8_t* g = grid.row(Green, y, z);
        const std::uint8_t* b = grid.row(Blue, y, z);
        platform::Colour* out = window.row(origin.y + y) + origin.x;
        platform::Colour* outR = canvases.plane[0].row(origin.y + y) + origin.x;
        platform::Colour* outG = canvases.plane[1].row(origin.y + y) + origin.x;
        platform::Colour* outB = canvases.plane[2].row(origin.y + y) + origin.x;
        for (int x = xs.from; x < xs.to; ++x) {
            out[x] = platform::rgb(r[x], g[x], b[x]);
            outR[x] = r[x];
            outG[x] = g[x];
            outB[x] = b[x];
        }
    }
    const int x1 = origin.x + xs.from, x2 = origin.x + xs.to - 1;
    const int y1 = origin.y + ys.from, y2 = origin.y + ys.to - 1;
    window.touch(x1, y1, x2, y2);
    for (auto& p : canvases.plane)
        p.touch(x1, y1, x2, y2);
}

}  // namespace brain
