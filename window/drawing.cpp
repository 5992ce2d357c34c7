#include "drawing.h"

#include <utility>

#include "about_picture.h"
#include "brain/sampling.h"
#include "names.h"

namespace window {

using platform::rgb;

Drawing::Drawing(brain::Brain::Allocator allocate) : brain_(std::move(allocate))
{
    addModeCommands();
}

Drawing::~Drawing() = default;

void Drawing::attach(platform::Host& host)
{
    host_ = &host;
    menus_.attach(&host);
    canvases_.cover(host.surface().width(), host.surface().height());
    host.setPicture(control::kAboutPicture, aboutPicture());
}

void Drawing::startUp()
{
    brain_.start(30);  // resetcells: the arrays were allocated just now, every cell reads 0
    layOutGrid();
    pen_.setColour({128, 128, 128});
    const platform::Colour grey = pen_.colour().colour();
    canvases_.cover(surface().width(), surface().height());
    paintEmptyGrid();
    drawSwatch(grey);
    stroke_.reset();
    view_.setLayer(0);
    pen_.setDrawsBrainOutput(false);
    pen_.setAutoGenerates(false);
    mover_.setPlaying(false);
    mover_.setPlace({});
    started_ = true;
    if (auto then = std::exchange(onStarted_, nullptr))
        then();
}

brain::Picture Drawing::picture() const
{
    return {canvases_, host_->surface(), view_.origin()};
}

brain::GenerationResult Drawing::generate(brain::GenerationOptions options)
{
    const brain::GenerationResult result = brain_.generate(picture(), options);
    if (result == brain::GenerationResult::Generated) {
        if (pen_.drawsBrainOutput()) {
            const brain::Apex& apex = brain_.apex();
            pen_.setColour({apex.red, apex.green, apex.blue});
            drawSwatch();
        }
        menus_.brainGenerated();
    }
    return result;
}

void Drawing::sampleInput()
{
    brain_.sample(picture());
}

void Drawing::displayCells()
{
    const brain::CellGrid* cells = brain_.cells();
    if (cells && view_.layer() < cells->size())
        brain::displayLayer(*cells, view_.layer(), surface(), canvases_, view_.origin());
}

void Drawing::layOutGrid()
{
    view_.layOut(surface().width(), surface().height(), brain_.side());
    const brain::Origin o = view_.origin();
    host().placeArea(area::kGrid, {o.x, o.y, o.x + brain_.side() - 1, o.y + brain_.side() - 1});
}

void Drawing::clearSurface()
{
    surface().fillRect(0, 0, surface().width(), surface().height(), rgb(255, 255, 255));
}

void Drawing::paintEmptyGrid()
{
    const brain::Origin o = view_.origin();
    const int x2 = o.x + brain_.side() - 1, y2 = o.y + brain_.side() - 1;
    surface().fillRect(o.x, o.y, x2, y2, 0);
    canvases_.fillRect(o.x, o.y, x2, y2, 0, 0, 0);
}

void Drawing::drawSwatch(platform::Colour colour)
{
    const int c = surface().height() / 2;
    surface().fillRect(10, c - 50, 110, c + 50, colour);
    surface().outline(10, c - 50, 110, c + 50, rgb(0, 0, 128));
    host().placeArea(area::kSwatch, {10, c - 50, 110, c + 50});
}

void Drawing::drawSwatch()
{
    drawSwatch(pen_.colour().colour());
}

bool Drawing::acceptsDrop(const std::string& path)
{
    return started_ && onAcceptsDrop_ && onAcceptsDrop_(path);
}

void Drawing::fileDropped(const std::string& path)
{
    if (acceptsDrop(path) && onFileDropped_)
        onFileDropped_(path);
}

bool Drawing::insideGrid(int x, int y) const
{
    const brain::Origin o = view_.origin();
    const int last = brain_.side() - 1;
    return x >= o.x && x <= o.x + last && y >= o.y && y <= o.y + last;
}

}  // namespace window
