#pragma once
// The key commands: resize, layer stepping, generation on demand, the colour
// keys, placing the maze-mover; and the caption rule every key applies.
namespace window { class Drawing; }

namespace commands {

// Every step of a key press, in order, for any key, repeats included.
void keyPressed(window::Drawing& d, int code);

// Sets the caption from the size of brain and the layer on view.
void refreshcaption(window::Drawing& d);

}  // namespace commands
