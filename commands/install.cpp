#include "install.h"

#include "colour_panel.h"
#include "keys.h"
#include "maze.h"
#include "window/drawing.h"

namespace commands {

void install(window::Drawing& d)
{
    d.onKey = [&d](int code) { keyPressed(d, code); };
    d.onMazeStep = [&d] { mazestep(d); };
    d.onCommand["cmove"] = [&d] { startPlay(d); };
    d.onCommand["playoff"] = [&d] { stopPlay(d); };
    d.onCommand["choosecolor"] = [&d] { openColourPanel(d); };
    d.onCommand["Command5"] = [&d] { colourDone(d); };
    d.onCommand["Command6"] = [&d] { colourCancel(d); };
    d.onCommand["Command7"] = [&d] { colourMiddle(d); };
    d.onCommand["Command8"] = [&d] { colourZero(d); };
}

}  // namespace commands
