#pragma once
// The whole program put together: the window with every command plugged in.
// main() runs it; the tests drive the same thing.
#include <memory>

#include "platform/qt_window.h"
#include "window/drawing.h"

namespace app {

class Program {
public:
    explicit Program(platform::Toolkit& toolkit);
    ~Program();
    window::Drawing& drawing() { return drawing_; }
    platform::Host& host() { return *host_; }
    int run();

private:
    window::Drawing drawing_;
    std::unique_ptr<platform::Host> host_;
};

}  // namespace app
