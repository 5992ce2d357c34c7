// The mode commands of the menus, and the About panel.
#include "drawing.h"
#include "layout.h"

namespace window {

void Drawing::addModeCommands()
{
    auto radio = [this](const std::string& on, std::vector<std::string> off) {
        menus.setChecked(on, true);
        for (const auto& o : off)
            menus.setChecked(o, false);
    };
    onCommand["autogon"] = [this, radio] { radio("autogon", {"autogoff"}); autoGenerate = 1; };
    onCommand["autogoff"] = [this, radio] { radio("autogoff", {"autogon"}); autoGenerate = 0; };
    onCommand["drawchosen"] = [this, radio] { radio("drawchosen", {"drawboutput"}); drawMode = 0; };
    onCommand["drawboutput"] = [this, radio] { radio("drawboutput", {"drawchosen"}); drawMode = 1; };
    onCommand["styleone"] = [radio] { radio("styleone", {"styletwo", "stylethree"}); };
    onCommand["styletwo"] = [radio] { radio("styletwo", {"styleone", "stylethree"}); };
    onCommand["stylethree"] = [radio] { radio("stylethree", {"styleone", "styletwo"}); };
    onCommand["about"] = [this] { openAbout(); };
    onCommand["quit"] = [this] { host_->end(); };
}

void Drawing::openAbout()
{
    menus.setEnabled("options", false);
    menus.setEnabled("playoptions", false);
    menus.setEnabled("choosecolor", false);
    showPanel(kAboutPanel, true);
    aboutOpen_ = true;
}

void Drawing::closeAbout()
{
    showPanel(kAboutPanel, false);
    aboutOpen_ = false;
    if (playMode == 0) {
        menus.setEnabled("options", true);
        menus.setEnabled("choosecolor", true);
    }
    if (viewLayer == 0)
        menus.setEnabled("playoptions", true);
}

}  // namespace window
