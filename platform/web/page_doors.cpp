// The page's doors into the window (page.js calls them): events into the
// host's queue, and questions about what is shown, which the browser tests
// and the page ask. Toolkit, the port's start-up, is here too: the page has
// one window, the host these doors lead to.
#include <string>

#include "web_host.h"

using platform::web::PageEvent;
using platform::web::shownHost;

namespace platform {

struct Toolkit::Impl {};

Toolkit::Toolkit(int& /*argc*/, char** /*argv*/) : impl_(std::make_unique<Impl>()) {}

Toolkit::~Toolkit() = default;

std::unique_ptr<Host> Toolkit::openWindow(const WindowDesign& design, EventSink& sink)
{
    return std::make_unique<web::WebHost>(design, sink);
}

}  // namespace platform

// The page's doors into the queue. Points are in designed canvas pixels,
// the menu bar's rows included; `text` is what a key types, in UTF-8.
extern "C" {

static void post(PageEvent e)
{
    if (shownHost)
        shownHost->post(std::move(e));
}

__attribute__((used, visibility("default"))) void cx_pointer(int kind, int buttons, int x, int y)
{
    post({.kind = PageEvent::Kind(kind), .a = buttons, .x = x, .y = y});
}

__attribute__((used, visibility("default"))) void cx_key(int code, int repeat, int shift, const char* text)
{
    post({.kind = PageEvent::Key, .a = code, .repeat = repeat != 0, .shift = shift != 0, .text = text ? text : ""});
}

__attribute__((used, visibility("default"))) void cx_key_up(int code)
{
    post({.kind = PageEvent::KeyUp, .a = code});
}

__attribute__((used, visibility("default"))) void cx_wheel(int steps, int x, int y)
{
    post({.kind = PageEvent::Wheel, .a = steps, .x = x, .y = y});
}

__attribute__((used, visibility("default"))) void cx_blur()
{
    post({.kind = PageEvent::Blur});
}

__attribute__((used, visibility("default"))) void cx_drop(const char* path)
{
    post({.kind = PageEvent::Drop, .text = path});
}

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
