// Mouse painting: strokes of straight segments on the input layer, drawn on
// the window and the three canvases at once, and the right-button colour pick.
#include "drawing.h"

namespace window {

using platform::mouse::Left;
using platform::mouse::Right;

void Drawing::mousePressed(int button, int x, int y)
{
    if (!started_)
        return;
    if (menus_.panelOpen(Panel::About)) {
        closePanel(Panel::About);  // and nothing else, whatever the button
        return;
    }
    if (button == Left && insideGrid(x, y)) {
        stroke_ = Point{x, y};
    } else if (button == Right && insideGrid(x, y)) {
        // From the canvases: the colour last painted or displayed there.
        pen_.setColour({canvases_.value(0, x, y), canvases_.value(1, x, y), canvases_.value(2, x, y)});
        drawSwatch();
    }
}

void Drawing::drawSegment(Point to, Point from, Rgb colour)
{
    surface().line(to.x, to.y, from.x, from.y, colour.colour());
    canvases_.line(to.x, to.y, from.x, from.y, colour.red, colour.green, colour.blue);
}

void Drawing::mouseMoved(int buttons, int x, int y)
{
    if (!started_)
        return;
    if (buttons != Left) {
        stroke_.reset();
        return;
    }
    if (!insideGrid(x, y) || view_.layer() != 0)
        return;

    const Point at{x, y};
    const Point from = stroke_.value_or(at);
    if (menus_.checked(menu::kStyleThree) && pen_.drawsBrainOutput() && pen_.autoGenerates()) {
        // The opposite of what lies under the pointer, channel by channel.
        const auto opposite = [&](int c) { return (canvases_.value(c, x, y) + 128) % 256; };
        pen_.setColour({opposite(0), opposite(1), opposite(2)});
    }
    drawSegment(at, from, pen_.colour());
    brain_.markInputChanged();
    if (pen_.autoGenerates()) {
        generate();
        menus_.brainGenerated();
        if (!menus_.checked(menu::kStyleOne) && pen_.drawsBrainOutput())
            drawSegment(at, from, pen_.colour());  // again, in the output colour
    }
    stroke_ = at;
}

}  // namespace window
