// The main loop, and the hand-over of every window event to its handler.
#include <chrono>

#include "drawing.h"

namespace window {

void Drawing::run()
{
    using Clock = std::chrono::steady_clock;
    host_->show();
    const Clock::time_point shown = Clock::now();
    while (!host_->ended()) {
        // Start-up waits for the window to become active; a desktop without
        // a window manager may never make it so.
        if (!started && Clock::now() - shown > std::chrono::milliseconds(500))
            startUp();
        const bool playing = started && playMode == 1 && menus.enabled("playoptions") && onMazeStep;
        if (playing)
            turn();
        else
            host_->waitForEvents(started ? -1 : 100);  // nothing due: sleep until the user acts
    }
}

void Drawing::turn()
{
    host_->processPendingEvents();
    if (host_->ended())
        return;
    if (started && playMode == 1 && menus.enabled("playoptions") && onMazeStep)
        onMazeStep();
}

void Drawing::activated()
{
    if (!started)
        startUp();
}

void Drawing::keyPressed(int code)
{
    if (started && onKey)
        onKey(code);
}

void Drawing::menuChosen(const std::string& name)
{
    if (!started)
        return;
    if (auto it = onCommand.find(name); it != onCommand.end() && menus.reachable(name))
        it->second();
}

void Drawing::buttonClicked(const std::string& name)
{
    if (!started)
        return;
    if (auto it = onCommand.find(name); it != onCommand.end())
        it->second();
}

void Drawing::listSelected(const std::string& list, const std::string& entry)
{
    if (started && onListSelected)
        onListSelected(list, entry);
}

void Drawing::surfaceResized(int width, int height)
{
    canvases.cover(width, height);
}

void Drawing::closeRequested()
{
    host_->end();
}

}  // namespace window
