// What the page (and its tests) may ask about the window: where a menu entry
// lies, and a control's text. Screen-reader support and the browser tests
// use them; nothing here changes the program's state.
#include <string>

#include "web_host.h"

using platform::web::shownHost;

extern "C" {

// Opens the menus leading to `name` and returns its middle as x * 65536 + y
// in designed canvas pixels, or -1.
__attribute__((used, visibility("default"))) int cx_menu_point(const char* name)
{
    int x = 0, y = 0;
    if (!shownHost || !shownHost->menus().reveal(name, x, y))
        return -1;
    shownHost->repaint();
    return x * 65536 + y;
}

// The text of a control; valid until the next call.
__attribute__((used, visibility("default"))) const char* cx_control_text(const char* name)
{
    static std::string text;
    text = shownHost ? shownHost->text(name) : std::string();
    return text.c_str();
}
}
