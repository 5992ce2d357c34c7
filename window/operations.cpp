// The operations that keys, panels and play share: resizing, taking up a
// loaded brain, ending play, the caption, and opening and closing panels.
#include <string>

#include "drawing.h"
#include "layout.h"

namespace window {

bool Drawing::resizeTo(int side)
{
    if (!brain_.resize(side))
        return false;
    mover_.setPlace({});  // the grid's top-left cell, both directions +1
    endPlay();
    view_.setLayer(0);
    menus_.sizeChanged();
    clearSurface();
    layOutGrid();
    paintEmptyGrid();
    return true;
}

void Drawing::takeUp(StoredBrain stored)
{
    pen_.setColour(stored.colour);
    mover_.setPlace(stored.mover);
    brain_.takeUp(std::move(stored.cells));
    view_.setLayer(0);
    clearSurface();
    layOutGrid();
    paintEmptyGrid();
    drawSwatch();
    displayCells();
    menus_.brainLoaded();
    refreshCaption();
    mover_.setPlaying(false);
}

void Drawing::endPlay()
{
    mover_.setPlaying(false);
    menus_.playEnded();
}

void Drawing::refreshCaption()
{
    std::string wanted =
        "Cerebrix - By Quillon (Age 26) / Size of brain: " + std::to_string(brain::sizeOfBrain(brain_.side()));
    if (view_.layer() == 0)
        wanted += " / Drawing on input layer";
    else
        wanted += " / Viewing layer " + std::to_string(view_.layer() + 1);
    if (host_->caption() != wanted)
        host_->setCaption(wanted);
}

void Drawing::openPanel(Panel panel)
{
    for (const std::string& c : controlsOf(panel))
        host_->setVisible(c, true);
    menus_.panelOpened(panel);
}

void Drawing::closePanel(Panel panel)
{
    for (const std::string& c : controlsOf(panel))
        host_->setVisible(c, false);
    menus_.panelClosed(panel, mover_.playing(), view_.layer());
}

}  // namespace window
