#pragma once
// Brains named from outside the panels: on the command line, or dropped on
// the window. They are taken up exactly as the Load panel's "Done" does.
#include <string>

namespace window { class Drawing; }

namespace files {

// Wires drops on the window to the load below.
void installOpenFromOutside(window::Drawing& d);

// True while a file dropped now would be taken up: one brain file, and
// "Load Brain" could be chosen (no panel open, no maze play).
bool acceptsOutsideFile(window::Drawing& d, const std::string& path);

// Loads the brain at `path` whole. On success its folder becomes the working
// folder, so the panels list and save beside it; on failure the Load panel's
// message line says why and nothing else changes.
bool openFromOutside(window::Drawing& d, const std::string& path);

}  // namespace files
