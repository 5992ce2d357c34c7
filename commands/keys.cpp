#include "keys.h"

#include "maze.h"
#include "platform/host.h"
#include "window/drawing.h"

namespace commands {
namespace {

using platform::key::Enter;
using platform::key::Minus;
using platform::key::Plus;

void brainSize(window::Drawing& d, int code)
{
    const int side = d.brain().side();
    int wanted = side;
    if (code == Plus && side + 10 < d.surface().height())
        wanted = side + 10;
    if (code == Minus && side > 10)
        wanted = side - 10;
    // A size whose arrays cannot be had is refused like one that does not fit.
    if (wanted != side)
        d.resizeTo(wanted);
}

void leaveInputLayer(window::Drawing& d)
{
    d.endPlay();
    d.generate({.onlyIfInputChanged = true});
}

void navigate(window::Drawing& d, int code)
{
    window::View& view = d.view();
    const int top = d.brain().side() - 1;
    if (code == 'X' && view.layer() < top)
        view.setLayer(view.layer() + 1);
    if (code == 'Z' && view.layer() > 0)
        view.setLayer(view.layer() - 1);
    // X always redisplays, even on the top layer where it cannot climb. Z
    // does too, except when it lands on or stays on the input layer during
    // play: the window's input layer is then the live maze, and repainting
    // it from cells sampled before the mover's last move would leave a grey
    // wall where the mover was and no mover where it is.
    const bool playing = d.mover().playing();
    if (code == 'X' || (code == 'Z' && (view.layer() > 0 || !playing))) {
        d.clearSurface();
        d.displayCells();
    }
}

void generateOnDemand(window::Drawing& d)
{
    if (d.generate({.sample = d.view().layer() == 0}) != brain::GenerationResult::Refused)
        d.displayCells();
}

int wrap(int v)
{
    return v > 255 ? 0 : v < 0 ? 255 : v;
}

int step(int code, int up, int down)
{
    return code == up ? 1 : code == down ? -1 : 0;
}

}  // namespace

void keyPressed(window::Drawing& d, int code)
{
    if (code == 'P' && d.view().layer() == 0 && d.strokePoint())
        placemover(d);
    brainSize(d, code);
    if (code == 'X' && d.view().layer() == 0)
        leaveInputLayer(d);
    if (!d.brain().reallocationPending())
        navigate(d, code);
    if (code == Enter)
        generateOnDemand(d);

    const window::Rgb c = d.pen().colour();
    d.pen().setColour({wrap(c.red + step(code, 'Q', 'A')), wrap(c.green + step(code, 'W', 'S')),
                       wrap(c.blue + step(code, 'E', 'D'))});
    d.drawSwatch();

    d.refreshCaption();
    // Play runs only where the maze is, on the input layer; so any key there
    // also resumes play that an open panel had paused.
    d.menus().layerChanged(d.view().layer());
}

}  // namespace commands
