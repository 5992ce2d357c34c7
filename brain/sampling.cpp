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
    for (int c = 0; c < kChannels; ++c)
        w = std::min(w, canvases.plane(c).width());
    return w;
}
int limitY(const platform::Surface& window, const Canvases& canvases)
{
    int h = window.height();
    for (int c = 0; c < kChannels; ++c)
        h = std::min(h, canvases.plane(c).height());
    return h;
}

}  // namespace

void sampleInput(CellGrid& grid, const Canvases& canvases, const platform::Surface& window, Origin origin)
{
    const int n = grid.size();
    const Span xs = clip(0, n, origin.x, limitX(window, canvases));
    const Span ys = clip(0, n, origin.y, limitY(window, canvases));
    for (int c = 0; c < kChannels; ++c) {
        const platform::Surface& canvas = canvases.plane(c);
        for (int y = ys.from; y < ys.to; ++y) {
            const platform::Colour* src = canvas.row(origin.y + y) + origin.x;
            std::uint8_t* dst = grid.squareRow(c, y, 0);
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
    const int x1 = origin.x + xs.from, x2 = origin.x + xs.to - 1;
    for (int y = ys.from; y < ys.to; ++y) {
        const std::uint8_t* r = grid.squareRow(Red, y, z) + (xs.from - z);
        const std::uint8_t* g = grid.squareRow(Green, y, z) + (xs.from - z);
        const std::uint8_t* b = grid.squareRow(Blue, y, z) + (xs.from - z);
        const int py = origin.y + y;
        const std::span<platform::Colour> out = window.changeRow(py, x1, x2);
        const std::span<platform::Colour> outR = canvases.plane(Red).changeRow(py, x1, x2);
        const std::span<platform::Colour> outG = canvases.plane(Green).changeRow(py, x1, x2);
        const std::span<platform::Colour> outB = canvases.plane(Blue).changeRow(py, x1, x2);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = platform::rgb(r[i], g[i], b[i]);
            outR[i] = r[i];
            outG[i] = g[i];
            outB[i] = b[i];
        }
    }
}

void showLayerAlone(const CellGrid& grid, int z, platform::Surface& window, Canvases& canvases)
{
    const int n = grid.size();
    window.fillRect(0, 0, n - 1, n - 1, platform::rgb(255, 255, 255));
    displayLayer(grid, z, window, canvases, Origin{0, 0});
}

}  // namespace brain
