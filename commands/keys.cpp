#include "keys.h"

#include <string>

#include "brain/cell_grid.h"
#include "maze.h"
#include "platform/host.h"
#include "window/drawing.h"

namespace commands {
namespace {

using platform::key::Enter;
using platform::key::Minus;
using platform::key::Plus;

// Grows or shrinks the brain to n: play ends, the grid is laid out afresh and
// emptied, and the arrays follow with the next generation.
void resize(window::Drawing& d, int n)
{
    d.dimX = d.dimY = d.dimZ = n;
    d.moverX = d.moverY = 0;
    d.moverStepY = d.moverStepX = 1;
    endPlay(d);
    d.viewLayer = 0;
    d.needsRealloc = 1;
    d.menus.setEnabled("savebrain", false);
    d.clearSurface();
    d.layOutGrid();
    d.paintEmptyGrid();
}

void brainSize(window::Drawing& d, int code)
{
    int n = d.dimX;
    if (code == Plus && d.dimX + 10 < d.surface().height())
        n = d.dimX + 10;
    if (code == Minus && d.dimX > 10)
        n = d.dimX - 10;
    // A size whose arrays cannot be had is refused like one that does not fit.
    if (n != d.dimX && d.reserve(n))
        resize(d, n);
}

void leaveInputLayer(window::Drawing& d)
{
    endPlay(d);
    if (d.needsRealloc == 1 && !d.reallocate())
        return;
    d.inputvalues();
    if (d.inputChanged == 1)
        d.generate5();
    d.needsRealloc = 0;
}

void navigate(window::Drawing& d, int code)
{
    if (code == 'X' && d.viewLayer < d.dimZ - 1)
        ++d.viewLayer;
    if (code == 'Z' && d.viewLayer > 0)
        --d.viewLayer;
    if ((code == 'X' && d.viewLayer < d.dimZ) || (code == 'Z' && (d.viewLayer > 0 || d.playMode == 0))) {
        d.clearSurface();
        d.displaycells();
    }
}

void generateOnDemand(window::Drawing& d)
{
    if (d.needsRealloc == 1 && !d.reallocate())
        return;
    if (d.viewLayer == 0)
        d.inputvalues();
    d.generate5();
    d.displaycells();
    d.needsRealloc = 0;
}

int wrap(int v)
{
    return v > 255 ? 0 : v < 0 ? 255 : v;
}

}  // namespace

void keyPressed(window::Drawing& d, int code)
{
    if (code == 'P' && d.viewLayer == 0 && d.lastX != -1 && d.lastY != -1)
        placemover(d);
    brainSize(d, code);
    if (code == 'X' && d.viewLayer == 0)
        leaveInputLayer(d);
    if (d.needsRealloc == 0)
        navigate(d, code);
    if (code == Enter)
        generateOnDemand(d);

    d.drawRed += code == 'Q' ? 1 : code == 'A' ? -1 : 0;
    d.drawGreen += code == 'W' ? 1 : code == 'S' ? -1 : 0;
    d.drawBlue += code == 'E' ? 1 : code == 'D' ? -1 : 0;
    d.drawRed = wrap(d.drawRed);
    d.drawGreen = wrap(d.drawGreen);
    d.drawBlue = wrap(d.drawBlue);
    d.drawswatch();

    refreshcaption(d);
    d.menus.setEnabled("playoptions", d.viewLayer == 0);
}

void refreshcaption(window::Drawing& d)
{
    std::string wanted = "Cerebrix - By Quillon (Age 26) / Size of brain: " + std::to_string(brain::sizeOfBrain(d.dimX));
    if (d.viewLayer == 0)
        wanted += " / Drawing on input layer";
    else
        wanted += " / Viewing layer " + std::to_string(d.viewLayer + 1);
    if (d.host().caption() != wanted)
        d.host().setCaption(wanted);
}

}  // namespace commands
