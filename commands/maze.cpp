#include "maze.h"

#include <cstdint>
#include <limits>

#include "platform/surface.h"
#include "window/drawing.h"

namespace commands {
namespace {

using platform::Colour;

// A mover read from a file may stand anywhere, even beyond the range of a
// pixel coordinate: such points are simply off the surface.
bool toPixel(std::int64_t v, int& out)
{
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    out = int(v);
    return true;
}

struct Point64 {
    std::int64_t x, y;
};

// The mover's point on the surface.
Point64 moverPoint(const window::Drawing& d)
{
    const brain::Origin o = d.view().origin();
    const window::MoverPlace& m = d.mover().place();
    return {std::int64_t(o.x) + m.x, std::int64_t(o.y) + m.y};
}

Colour windowColour(window::Drawing& d, std::int64_t x, std::int64_t y)
{
    int px, py;
    if (!toPixel(x, px) || !toPixel(y, py))
        return platform::kOffSurface;
    return d.surface().point(px, py);
}

// Sets the mover's point on the window and, as one value, on the canvases.
void paintMover(window::Drawing& d, int value)
{
    const Point64 p = moverPoint(d);
    int px, py;
    if (!toPixel(p.x, px) || !toPixel(p.y, py))
        return;
    d.surface().setPoint(px, py, platform::rgb(value, value, value));
    d.canvases().setPoint(px, py, value, value, value);
}

bool isFree(Colour c)
{
    return c == 0;
}

}  // namespace

void placemover(window::Drawing& d)
{
    paintMover(d, 0);
    const window::Point at = *d.strokePoint();
    const brain::Origin o = d.view().origin();
    d.mover().moveTo(at.x - o.x, at.y - o.y);
    paintMover(d, 128);
}

void mazestep(window::Drawing& d)
{
    d.generate();
    d.mover().steer(d.brain().apex().value());

    paintMover(d, 0);
    const auto [x, y] = moverPoint(d);
    const int dx = d.mover().place().stepX, dy = d.mover().place().stepY;
    const bool diagonal = isFree(windowColour(d, x + dx, y + dy));
    const bool horizontal = isFree(windowColour(d, x + dx, y));
    if (diagonal && (horizontal || isFree(windowColour(d, x, y + dy))))
        d.mover().move(dx, dy);
    else if (horizontal)
        d.mover().move(dx, 0);  // the diagonal is a wall, so nothing lies free beyond the new column
    else if (isFree(windowColour(d, x, y + dy)))
        d.mover().move(0, dy);
    paintMover(d, 128);
}

void startPlay(window::Drawing& d)
{
    d.mover().setPlaying(true);
    d.menus().playStarted();
}

void stopPlay(window::Drawing& d)
{
    // The input layer takes the picture as play left it, mover included.
    if (d.mover().playing())
        d.sampleInput();
    d.endPlay();
}

}  // namespace commands
