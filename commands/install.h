#pragma once
// Plugs the key, colour and maze commands into the window.
namespace window { class Drawing; }

namespace commands {

void install(window::Drawing& d);

}  // namespace commands
