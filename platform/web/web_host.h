#pragma once
// The window as a web page draws it: the retained surface, the menu bar and
// the panels' controls on one canvas. Events come from the page (page.js)
// into a queue and reach the program only when it asks for them, between
// turns, as on the desktop.
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/toolkit.h"
#include "web_controls.h"
#include "web_menus.h"

namespace platform::web {

struct PageEvent {
    enum Kind { Press, Release, Move, Key, KeyUp, Drop, Blur, Wheel } kind = Move;
    int a = 0, x = 0, y = 0;  // button(s), key code or wheel steps; the point, in designed canvas pixels
    bool repeat = false;      // a key's auto-repeat
    bool shift = false;
    std::string text;         // the character a key types, or a dropped file's path
};

class WebHost : public Host {
public:
    WebHost(const WindowDesign& design, EventSink& sink);
    ~WebHost() override;
    void post(PageEvent e) { queue_.push_back(std::move(e)); }

    void show() override;
    Surface& surface() override { return surface_; }
    std::string caption() const override { return caption_; }
    void setCaption(const std::string& text) override;
    void setMenuChecked(const std::string& name, bool checked) override;
    void setMenuEnabled(const std::string& name, bool enabled) override;
    void setVisible(const std::string& control, bool visible) override;
    std::string text(const std::string& control) const override;
    void setText(const std::string& control, const std::string& text) override;
    void rereadFiles(const std::string& list) override;
    void focus(const std::string& control) override;
    bool fitsAtUsualSize(const std::string& label, const std::string& text) const override;
    void setPicture(const std::string& control, const Surface& picture) override;
    void processPendingEvents() override;
    void waitForEvents(int timeoutMs) override;
    bool ended() const override { return ended_; }
    void end() override;
    void setBusy(bool busy) override;
    void placeArea(const std::string& name, Rect area) override;

    // Draws what changed since the last frame; repaint() draws it all.
    void paint();
    void repaint()
    {
        overlaysChanged_ = true;
        paint();
    }
    // For the page's questions about what is shown.
    WebMenus& menus() { return menus_; }


private:
    void handle(const PageEvent& e);
    void pointer(const PageEvent& e);
    void keyDown(const PageEvent& e);
    void drop(const std::string& path);

    EventSink& sink_;
    Surface surface_;
    std::string caption_;
    WebMenus menus_;
    WebControls controls_;
    std::deque<PageEvent> queue_;
    std::vector<std::uint32_t> rgba_;  // a changed stretch of the surface, as the page takes it
    std::set<int> held_;               // keys pressed on the window and still down
    std::map<std::string, Rect> areas_;  // as last told to the page
    enum class Grab { None, Surface, Control, Menu } grab_ = Grab::None;
    bool shown_ = false, announced_ = false, ended_ = false;
    bool overlaysChanged_ = true;
    int scale_ = 0;
};

// A colour number as the page's image data takes it: r, g, b, a in memory.
inline std::uint32_t opaqueColour(Colour c)
{
    return c | 0xFF000000u;
}

// The page has one window; its events and questions go to it.
extern WebHost* shownHost;

}  // namespace platform::web
