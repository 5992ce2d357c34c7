#pragma once
// Which label names a text box for a screen reader: the desktop's window and
// the web page find it by the same rule, since neither toolkit is told.
#include "surface.h"

namespace platform {

// True when a label with text at `label` names the box at `box`: it stands
// in the same row and ends where the box begins (a pixel either way).
bool labelNamesBox(Rect label, Rect box);

}  // namespace platform
