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
        if (!started_ && Clock::now() - shown > std::chrono::milliseconds(500))
            startUp();
        if (playDue())
            turn();
        else
            host_->waitForEvents(started_ ? -1 : 100);  // nothing due: sleep until the user acts
    }
}

void Drawing::turn()
{
    host_->processPendingEvents();
    if (host_->ended())
        return;
    if (playDue())
        onMazeStep_();
}

// Every panel disables "Play options", so play pauses while one is open.
bool Drawing::playDue() const
{
    return started_ && mover_.playing() && menus_.enabled(menu::kPlayOptions) && onMazeStep_;
}

void Drawing::activated()
{
    if (!started_)
        startUp();
}

void Drawing::keyPressed(int code)
{
    if (!started_)
        return;
    // Escape is no key command: with About open it closes the panel as a
    // press on the surface does, and does nothing else.
    if (code == platform::key::Escape && menus_.panelOpen(Panel::About)) {
        closePanel(Panel::About);
        return;
    }
    if (onKey_)
        onKey_(code);
}

void Drawing::menuChosen(const std::string& name)
{
    if (!started_)
        return;
    if (auto it = onCommand_.find(name); it != onCommand_.end() && menus_.reachable(name))
        it->second();
}

void Drawing::buttonClicked(const std::string& name)
{
    if (!started_)
        return;
    if (auto it = onCommand_.find(name); it != onCommand_.end())
        it->second();
}

void Drawing::listSelected(const std::string& list, const std::string& entry)
{
    if (started_ && onListSelected_)
        onListSelected_(list, entry);
}

void Drawing::surfaceResized(int width, int height)
{
    canvases_.cover(width, height);
}

void Drawing::closeRequested()
{
    host_->end();
}

}  // namespace window
