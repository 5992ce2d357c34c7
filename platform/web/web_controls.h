#pragma once
// The panels' controls drawn on the page's canvas: labels, one-line text
// boxes, buttons, file lists and the picture box, with the keyboard focus,
// typing and clicks each kind takes. What the program hears of them goes to
// its EventSink, as from the desktop's controls.
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform::web {

struct WebControl {
    ControlSpec design;
    bool visible = false;
    std::string text;
    std::vector<std::string> entries;  // file lists
    int selected = -1;                 // file lists
    int first = 0;                     // file lists: the entry shown at the top
    std::size_t caret = 0;             // text boxes: a byte offset at a character's start
    bool allSelected = false;          // text boxes: typing replaces the text
    std::vector<std::uint32_t> rgba;   // the picture box
    int pictureWidth = 0, pictureHeight = 0;
    bool contains(int x, int y) const
    {
        return visible && x >= design.left && y >= design.top && x < design.left + design.width && y < design.top + design.height;
    }
};

class WebControls {
public:
    WebControls(const std::vector<ControlSpec>& specs, EventSink& sink);

    WebControl* find(const std::string& name);
    const WebControl* find(const std::string& name) const;
    // The topmost shown control at a point of the client area.
    WebControl* at(int x, int y);
    void setVisible(const std::string& name, bool visible);
    void focus(const std::string& name);
    bool hasFocus() const { return focus_ != nullptr; }
    void dropFocus() { focus_ = nullptr; }

    // A press and release on a control; a release anywhere ends a press.
    void press(WebControl& c, int x, int y);
    void release(int x, int y);
    // The wheel over a file list moves its entries by `steps` rows.
    void scroll(WebControl& c, int steps);
    // A key while a control has the focus: all keys stay with it.
    void key(int code, const std::string& typed, bool shift);

    bool fits(const std::string& label, const std::string& text) const;
    void paint(int top) const;
    // Tells the page what a screen reader finds of the shown controls
    // (web_access.cpp); `top` is the client area's first canvas row.
    void describe(int top) const;

private:
    void click(const WebControl& c);
    void step(bool forward);
    void select(WebControl& list, int entry);
    static void edit(WebControl& box, int code, const std::string& typed);
    std::string labelOf(const WebControl& box) const;

    std::vector<WebControl> controls_;
    EventSink& sink_;
    WebControl* focus_ = nullptr;
    WebControl* pressed_ = nullptr;
};

}  // namespace platform::web
