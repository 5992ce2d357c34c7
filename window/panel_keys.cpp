// Enter and Escape in an open panel: Enter does what the panel's "Done"
// does, Escape what its "Cancel" does; Escape closes the About panel as a
// press on the surface would.
#include <algorithm>

#include "drawing.h"
#include "layout.h"

namespace window {

void Drawing::panelKeyPressed(const std::string& control, int code)
{
    const auto in = [&](const std::vector<std::string>& panel) {
        return std::find(panel.begin(), panel.end(), control) != panel.end();
    };
    const bool done = code == platform::key::Enter;
    if (!started || (!done && code != platform::key::Escape))
        return;
    if (in(kSavePanel))
        buttonClicked(done ? "Command1" : "Command2");
    else if (in(kLoadPanel))
        buttonClicked(done ? "Command3" : "Command4");
    else if (in(kColourPanel))
        buttonClicked(done ? "Command5" : "Command6");
    else if (in(kAboutPanel) && !done && aboutOpen_)
        closeAbout();
}

}  // namespace window
