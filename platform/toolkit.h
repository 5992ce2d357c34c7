#pragma once
// Opens the program's one window. Declared once for every toolkit: the
// desktop's (Qt) and the web page's each define Toolkit, and the program
// above is built the same way on both.
#include <memory>
#include <string>
#include <vector>

#include "host.h"

namespace platform {

struct WindowDesign {
    std::string caption;
    int clientWidth = 0, clientHeight = 0;
    Colour background = rgb(255, 255, 255);
    std::vector<MenuEntry> menus;
    std::vector<ControlSpec> controls;
};

// Owns the toolkit's application object; make one before any window.
class Toolkit {
public:
    Toolkit(int& argc, char** argv);
    ~Toolkit();
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

    // The window, built and hidden; events go to `sink` once Host::show().
    std::unique_ptr<Host> openWindow(const WindowDesign& design, EventSink& sink);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
