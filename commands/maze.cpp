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
    int px, py;
    if (!toPixel(std::int64_t(d.originX) + d.moverX, px) || !toPixel(std::int64_t(d.originY) + d.moverY, py))
        return;
    d.surface().setPoint(px, py, platform::rgb(value, value, value));
    d.canvases.setPoint(px, py, value, value, value);
}

bool isFree(Colour c)
{
    return c == 0;
}

}  // namespace

void placemover(window::Drawing& d)
{
    paintMover(d, 0);
    d.moverX = d.lastX - d.originX;
    d.moverY = d.lastY - d.originY;
    paintMover(d, 128);
}

void mazestep(window::Drawing& d)
{
    d.generateFromInput();
    if (d.outputValue < 128)
        d.moverStepX = -d.moverStepX;
    else
        d.moverStepY = -d.moverStepY;

    paintMover(d, 0);
    const std::int64_t x = std::int64_t(d.originX) + d.moverX, y = std::int64_t(d.originY) + d.moverY;
    const int dx = d.moverStepX, dy = d.moverStepY;
    const bool diagonal = isFree(windowColour(d, x + dx, y + dy));
    const bool horizontal = isFree(windowColour(d, x + dx, y));
    if (diagonal && (horizontal || isFree(windowColour(d, x, y + dy)))) {
        d.moverX += dx;
        d.moverY += dy;
    } else if (horizontal) {
        // The diagonal is a wall, so nothing lies free beyond the new column.
        d.moverX += dx;
    } else if (isFree(windowColour(d, x, y + dy))) {
        d.moverY += dy;
    }
    paintMover(d, 128);
}

void startPlay(window::Drawing& d)
{
    d.playMode = 1;
    d.menus.setEnabled("options", false);
    d.menus.setEnabled("choosecolor", false);
    d.menus.setChecked("cmove", true);
    d.menus.setChecked("playoff", false);
}

void stopPlay(window::Drawing& d)
{
    if (d.playMode == 1)
        d.inputvalues();
    endPlay(d);
}

void endPlay(window::Drawing& d)
{
    d.playMode = 0;
    d.menus.setChecked("cmove", false);
    d.menus.setChecked("playoff", true);
    d.menus.setEnabled("options", true);
    d.menus.setEnabled("choosecolor", true);
}

}  // namespace commands
