#pragma once
// The Save and Load panels: name box, list of the working directory's brain
// files, "Done" and "Cancel". A failed save or load says why inside the
// panel, keeps it open and changes nothing else.
#include <string>
#include <vector>

#include "platform/host.h"

namespace window { class Drawing; }

namespace files {

// Our own message line, shown inside an open Save or Load panel.
constexpr const char* kMessage = "FileMessage";

void addControls(std::vector<platform::ControlSpec>& controls);
void install(window::Drawing& d);

void openSavePanel(window::Drawing& d);
void openLoadPanel(window::Drawing& d);
void saveDone(window::Drawing& d);
void loadDone(window::Drawing& d);
void closeSavePanel(window::Drawing& d);
void closeLoadPanel(window::Drawing& d);

// Reads the brain file at `path` whole and, only if that succeeds, takes it
// up as "Done" does; otherwise the message line says why and nothing else
// changes.
bool loadBrain(window::Drawing& d, const std::string& path);

}  // namespace files
