// Enter and Escape in an open panel: Enter does what the panel's "Done"
// does, Escape what its "Cancel" does; Escape closes the About panel as a
// press on the surface would.
#include <algorithm>

#include "drawing.h"
#include "layout.h"

namespace window {

void Drawing::panelKeyPressed(const std::string& control, int code)
{
    const bool done = code == platform::key::Enter;
    if (!started_ || (!done && code != platform::key::Escape))
        return;
    const auto in = [&](Panel panel) {
        const std::vector<std::string>& controls = controlsOf(panel);
        return menus_.panelOpen(panel) && std::find(controls.begin(), controls.end(), control) != controls.end();
    };
    using namespace control;
    if (in(Panel::Save))
        buttonClicked(done ? kSaveDone : kSaveCancel);
    else if (in(Panel::Load))
        buttonClicked(done ? kLoadDone : kLoadCancel);
    else if (in(Panel::Colour))
        buttonClicked(done ? kColourDone : kColourCancel);
    else if (in(Panel::About) && !done)
        closePanel(Panel::About);
}

}  // namespace window
