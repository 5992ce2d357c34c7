#include "program.h"

#include "commands/install.h"
#include "files/open_from_outside.h"
#include "files/panels.h"
#include "window/layout.h"
#include "window/menus.h"

namespace app {

Program::Program(platform::Toolkit& toolkit)
{
    platform::WindowDesign design;
    design.caption = window::kDesignedCaption;
    design.clientWidth = window::kClientWidth;
    design.clientHeight = window::kClientHeight;
    design.menus = window::menuDesign();
    design.controls = window::controlDesign();
    host_ = toolkit.openWindow(design, drawing_);
    drawing_.attach(*host_);
    commands::install(drawing_);
    files::install(drawing_);
    files::installOpenFromOutside(drawing_);
}

void Program::openAfterStartUp(const std::string& path)
{
    drawing_.setStartedHandler([this, path] { files::openFromOutside(drawing_, path); });
}

Program::~Program() = default;

int Program::run()
{
    drawing_.run();
    return 0;
}

}  // namespace app
