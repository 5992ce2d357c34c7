#pragma once
// The whole program put together: the window with every command plugged in.
// main() runs it; the tests drive the same thing.
#include <memory>
#include <string>

#include "platform/toolkit.h"
#include "window/drawing.h"

namespace app {

class Program {
public:
    explicit Program(platform::Toolkit& toolkit);
    ~Program();
    window::Drawing& drawing() { return drawing_; }
    platform::Host& host() { return *host_; }
    int run();
    // Takes up the brain at `path` right after start-up, as a drop would.
    void openAfterStartUp(const std::string& path);

private:
    window::Drawing drawing_;
    std::unique_ptr<platform::Host> host_;
};

}  // namespace app
