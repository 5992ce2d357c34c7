#pragma once
// The colour panel, where the drawing colour's components are typed in.
namespace window { class Drawing; }

namespace commands {

void openColourPanel(window::Drawing& d);
void colourDone(window::Drawing& d);
void colourCancel(window::Drawing& d);
void colourMiddle(window::Drawing& d);
void colourZero(window::Drawing& d);

}  // namespace commands
