#include "install.h"

#include "colour_panel.h"
#include "keys.h"
#include "maze.h"
#include "window/drawing.h"
#include "window/names.h"

namespace commands {

void install(window::Drawing& d)
{
    using namespace window;
    d.setKeyHandler([&d](int code) { keyPressed(d, code); });
    d.setMazeStep([&d] { mazestep(d); });
    d.setCommand(menu::kComputerMoves, [&d] { startPlay(d); });
    d.setCommand(menu::kPlayOff, [&d] { stopPlay(d); });
    d.setCommand(menu::kChooseColour, [&d] { openColourPanel(d); });
    d.setCommand(control::kColourDone, [&d] { colourDone(d); });
    d.setCommand(control::kColourCancel, [&d] { colourCancel(d); });
    d.setCommand(control::kColourMiddle, [&d] { colourMiddle(d); });
    d.setCommand(control::kColourZero, [&d] { colourZero(d); });
}

}  // namespace commands
