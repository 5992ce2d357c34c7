#pragma once
// The Save and Load panels: name box, list of the working directory's brain
// files, "Done" and "Cancel". A failed save or load says why inside the
// panel, keeps it open and changes nothing else.
#include <string>

namespace window { class Drawing; }

namespace files {

// Plugs the panels' menu items, buttons and list into the window.
void install(window::Drawing& d);

void openSavePanel(window::Drawing& d);
void openLoadPanel(window::Drawing& d);
// "Done" and "Cancel" of each panel.
void saveDone(window::Drawing& d);
void loadDone(window::Drawing& d);
void closeSavePanel(window::Drawing& d);
void closeLoadPanel(window::Drawing& d);

// Reads the brain file at `path` whole and, only if that succeeds, takes it
// up as "Done" does; otherwise the message line says why and nothing else
// changes.
bool loadBrain(window::Drawing& d, const std::string& path);

}  // namespace files
