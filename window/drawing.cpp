#include "drawing.h"

#include <utility>

#include "about_picture.h"
#include "brain/generation.h"
#include "brain/sampling.h"

namespace window {

using platform::rgb;

Drawing::Drawing()
{
    addModeCommands();
}

Drawing::~Drawing() = default;

void Drawing::attach(platform::Host& host)
{
    host_ = &host;
    menus.attach(&host);
    canvases.cover(host.surface().width(), host.surface().height());
    host.setPicture("Picture1", aboutPicture());
}

void Drawing::startUp()
{
    dimX = dimY = dimZ = 30;
    cells = brain::CellGrid::allocate(dimX);
    layOutGrid();
    drawRed = drawGreen = drawBlue = 128;
    const platform::Colour grey = rgb(drawRed, drawGreen, drawBlue);
    needsRealloc = 1;
    canvases.cover(surface().width(), surface().height());
    paintEmptyGrid();
    drawswatch(grey);
    // resetcells: the arrays were allocated just now, every cell reads 0.
    lastX = lastY = -1;
    viewLayer = 0;
    drawMode = 0;
    autoGenerate = 0;
    playMode = 0;
    moverX = moverY = 0;
    moverStepY = moverStepX = 1;
    inputChanged = 0;
    started = true;
    if (auto then = std::exchange(onStarted, nullptr))
        then();
}

bool Drawing::reserve(int n)
{
    reserved.reset();
    reserved = brain::CellGrid::allocate(n);
    return reserved != nullptr;
}

bool Drawing::reallocate()
{
    auto grid = reserved && reserved->size() == dimX ? std::move(reserved) : brain::CellGrid::allocate(dimX);
    if (!grid)
        return false;
    cells = std::move(grid);
    return true;
}

void Drawing::inputvalues()
{
    if (cells)
        brain::sampleInput(*cells, canvases, surface(), {originX, originY});
}

void Drawing::generate5()
{
    if (!cells || cells->size() < 2)
        return;
    inputChanged = 0;
    const brain::Apex apex = brain::generate(*cells);
    outputRed = apex.red;
    outputGreen = apex.green;
    outputBlue = apex.blue;
    outputValue = apex.value();
    if (drawMode == 1) {
        drawRed = outputRed;
        drawGreen = outputGreen;
        drawBlue = outputBlue;
        drawswatch();
    }
    menus.setEnabled("savebrain", true);
}

void Drawing::displaycells()
{
    if (cells && viewLayer < cells->size())
        brain::displayLayer(*cells, viewLayer, surface(), canvases, {originX, originY});
}

void Drawing::generateFromInput()
{
    if (needsRealloc == 1 && !reallocate())
        return;  // no memory for the new size: the brain stays as it is
    inputvalues();
    generate5();
    needsRealloc = 0;
}

void Drawing::layOutGrid()
{
    originX = surface().width() / 2 - dimX / 2;
    originY = surface().height() / 2 - dimY / 2;
}

void Drawing::clearSurface()
{
    surface().fillRect(0, 0, surface().width(), surface().height(), rgb(255, 255, 255));
}

void Drawing::paintEmptyGrid()
{
    const int x2 = originX + dimX - 1, y2 = originY + dimY - 1;
    surface().fillRect(originX, originY, x2, y2, 0);
    canvases.fillRect(originX, originY, x2, y2, 0, 0, 0);
}

void Drawing::drawswatch(platform::Colour colour)
{
    const int c = surface().height() / 2;
    surface().fillRect(10, c - 50, 110, c + 50, colour);
    surface().outline(10, c - 50, 110, c + 50, rgb(0, 0, 128));
}

void Drawing::drawswatch()
{
    drawswatch(rgb(drawRed, drawGreen, drawBlue));
}

void Drawing::showPanel(const std::vector<std::string>& controls, bool visible)
{
    for (const std::string& c : controls)
        host_->setVisible(c, visible);
}

void Drawing::enablePanelMenus(bool on)
{
    menus.setEnabled("options", on);
    menus.setEnabled("playoptions", on && viewLayer == 0);
    menus.setEnabled("about", on);
    menus.setEnabled("choosecolor", on);
}

bool Drawing::acceptsDrop(const std::string& path)
{
    return started && onAcceptsDrop && onAcceptsDrop(path);
}

void Drawing::fileDropped(const std::string& path)
{
    if (acceptsDrop(path) && onFileDropped)
        onFileDropped(path);
}

bool Drawing::insideGrid(int x, int y) const
{
    return x >= originX && x <= originX + dimX - 1 && y >= originY && y <= originY + dimY - 1;
}

}  // namespace window
