// The mode commands of the menus, "About" and "Quit".
#include "drawing.h"

namespace window {

void Drawing::addModeCommands()
{
    using namespace menu;
    setCommand(kAutoOn, [this] { menus_.modeChosen(kAutoOn, {kAutoOff}); pen_.setAutoGenerates(true); });
    setCommand(kAutoOff, [this] { menus_.modeChosen(kAutoOff, {kAutoOn}); pen_.setAutoGenerates(false); });
    setCommand(kDrawChosen, [this] { menus_.modeChosen(kDrawChosen, {kDrawOutput}); pen_.setDrawsBrainOutput(false); });
    setCommand(kDrawOutput, [this] { menus_.modeChosen(kDrawOutput, {kDrawChosen}); pen_.setDrawsBrainOutput(true); });
    // The style has no field: the mouse reads the check marks.
    setCommand(kStyleOne, [this] { menus_.modeChosen(kStyleOne, {kStyleTwo, kStyleThree}); });
    setCommand(kStyleTwo, [this] { menus_.modeChosen(kStyleTwo, {kStyleOne, kStyleThree}); });
    setCommand(kStyleThree, [this] { menus_.modeChosen(kStyleThree, {kStyleOne, kStyleTwo}); });
    setCommand(kAbout, [this] { openPanel(Panel::About); });
    setCommand(kQuit, [this] { host_->end(); });
}

}  // namespace window
