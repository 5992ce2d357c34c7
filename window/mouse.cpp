// Mouse painting: strokes of straight segments on the input layer, drawn on
// the window and the three canvases at once, and the right-button colour pick.
#include "drawing.h"

namespace window {

using platform::mouse::Left;
using platform::mouse::Right;
using platform::rgb;

void Drawing::mousePressed(int button, int x, int y)
{
    if (!started)
        return;
    if (aboutOpen_) {
        closeAbout();
        return;
    }
    if (button == Left && insideGrid(x, y)) {
        lastX = x;
        lastY = y;
    } else if (button == Right && insideGrid(x, y)) {
        drawRed = int(canvases.plane[0].point(x, y) & 0xFF);
        drawGreen = int(canvases.plane[1].point(x, y) & 0xFF);
        drawBlue = int(canvases.plane[2].point(x, y) & 0xFF);
        drawswatch();
    }
}

void Drawing::drawSegment(int x, int y, platform::Colour c, int r, int g, int b)
{
    surface().line(x, y, lastX, lastY, c);
    canvases.line(x, y, lastX, lastY, r, g, b);
}

void Drawing::mouseMoved(int buttons, int x, int y)
{
    if (!started)
        return;
    platform::Colour c = rgb(drawRed, drawGreen, drawBlue);
    if (buttons != Left) {
        lastX = -1;
        lastY = -1;
        return;
    }
    if (!insideGrid(x, y) || viewLayer != 0)
        return;

    if (lastX == -1)
        lastX = x;
    if (lastY == -1)
        lastY = y;
    if (menus.checked("stylethree") && drawMode == 1 && autoGenerate == 1) {
        // The opposite of what lies under the pointer, channel by channel.
        drawRed = int((canvases.plane[0].point(x, y) + 128) % 256);
        drawGreen = int((canvases.plane[1].point(x, y) + 128) % 256);
        drawBlue = int((canvases.plane[2].point(x, y) + 128) % 256);
        c = rgb(drawRed, drawGreen, drawBlue);
    }
    drawSegment(x, y, c, drawRed, drawGreen, drawBlue);
    inputChanged = 1;
    if (autoGenerate == 1) {
        generateFromInput();
        menus.setEnabled("savebrain", true);
        if (!menus.checked("styleone") && drawMode == 1)
            drawSegment(x, y, rgb(drawRed, drawGreen, drawBlue), drawRed, drawGreen, drawBlue);
    }
    lastX = x;
    lastY = y;
}

}  // namespace window
