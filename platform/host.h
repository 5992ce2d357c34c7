#pragma once
// The program's port to the windowing toolkit. The program describes its
// menus and controls as plain data, drives them through Host, and hears
// about the user through EventSink, which the window implements.
#include <string>
#include <vector>

#include "surface.h"

namespace platform {

struct MenuEntry {
    std::string name;     // the program's name for it, e.g. "savebrain"
    std::string caption;  // shown exactly as given: no access keys, no shortcuts
    bool checked = false;
    bool enabled = true;
    std::vector<MenuEntry> items;  // a drop-down or submenu when not empty
    bool checkable = false;        // shows a check box; every other item is a plain command
};

enum class ControlKind { Label, TextBox, Button, FileList, Picture };

// Written with designated initialisers (.name = ..., .left = ...), so that no
// two numbers can be swapped unseen; what is left out keeps its default.
struct ControlSpec {
    std::string name{};  // e.g. "Text1"
    ControlKind kind = ControlKind::Label;
    int left = 0, top = 0, width = 0, height = 0;
    std::string text{};       // caption or content
    Colour colour = 0;        // labels: the text colour
    int maxLength = 0;        // text boxes: 0 = no limit
    bool readOnly = false;    // text boxes
    std::string pattern{};    // file lists, e.g. "*.brain"
    bool opaque = false;      // labels: on a white ground of their own, readable over the grid
};

// Key codes: Windows virtual-key numbers, which the key commands compare.
namespace key {
constexpr int Enter = 13, Shift = 16, Control = 17, Alt = 18;
constexpr int Plus = 187, Minus = 189;           // the main keyboard's =/+ and -/_
constexpr int Escape = 27;
constexpr int KeypadPlus = 107, KeypadMinus = 109;
}  // namespace key

// Mouse buttons, as a set of bits.
namespace mouse {
constexpr int Left = 1, Right = 2, Middle = 4;
}

class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void activated() = 0;                          // the window first became active
    virtual void mousePressed(int button, int x, int y) = 0;
    virtual void mouseMoved(int buttons, int x, int y) = 0;
    virtual void keyPressed(int code) = 0;                 // also for auto-repeat
    virtual void menuChosen(const std::string& name) = 0;
    virtual void buttonClicked(const std::string& name) = 0;
    virtual void listSelected(const std::string& list, const std::string& entry) = 0;
    virtual void surfaceResized(int width, int height) = 0;
    virtual void closeRequested() = 0;
    // A key that a focused panel control leaves to its panel (Enter, Escape).
    virtual void panelKeyPressed(const std::string& /*control*/, int /*code*/) {}
    // Files dragged over the window: asked while dragging, told on the drop.
    virtual bool acceptsDrop(const std::string& /*path*/) { return false; }
    virtual void fileDropped(const std::string& /*path*/) {}
};

class Host {
public:
    virtual ~Host() = default;

    // Shows the window; from here on events reach the sink.
    virtual void show() = 0;

    // The window's retained drawing surface, the size of the client area.
    virtual Surface& surface() = 0;

    virtual std::string caption() const = 0;
    virtual void setCaption(const std::string& text) = 0;

    virtual void setMenuChecked(const std::string& name, bool checked) = 0;
    virtual void setMenuEnabled(const std::string& name, bool enabled) = 0;

    virtual void setVisible(const std::string& control, bool visible) = 0;
    virtual std::string text(const std::string& control) const = 0;
    virtual void setText(const std::string& control, const std::string& text) = 0;
    // Reads a file list afresh from the working directory.
    virtual void rereadFiles(const std::string& list) = 0;
    // Gives a shown control the keyboard, its text selected so typing replaces it.
    virtual void focus(const std::string& /*control*/) {}
    // Whether `text` shows whole in a label at the label's usual font size.
    virtual bool fitsAtUsualSize(const std::string& /*label*/, const std::string& /*text*/) const { return true; }
    // Shows pixels (colour numbers, row by row) in a picture box.
    virtual void setPicture(const std::string& control, const Surface& picture) = 0;

    // Handles every event waiting now, then returns.
    virtual void processPendingEvents() = 0;
    // Sleeps until an event arrives (or timeoutMs passes, when not negative),
    // then handles what is waiting.
    virtual void waitForEvents(int timeoutMs) = 0;
    // True once the window has been closed or the program told to end.
    virtual bool ended() const = 0;
    virtual void end() = 0;

    // Shows that a long operation is under way (a wait cursor) or ends that.
    virtual void setBusy(bool /*busy*/) {}

    // Where a thing drawn on the surface lies (the grid, the swatch), so that
    // a screen reader finds it by `name`. Nothing visible changes.
    virtual void placeArea(const std::string& /*name*/, Rect /*area*/) {}
};

}  // namespace platform
