#pragma once
// The key commands: resize, layer stepping, generation on demand, the colour
// keys, placing the maze-mover; and what every key press brings up to date.
namespace window { class Drawing; }

namespace commands {

// Every step of a key press, in order, for any key, repeats included.
void keyPressed(window::Drawing& d, int code);

}  // namespace commands
