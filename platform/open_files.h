#pragma once
// Room for open files, settled before the toolkit starts: the toolkit opens
// pipes and event descriptors as it goes (a save, a cursor), and where it
// finds none it aborts with the drawing in it. Better to refuse at the start.
#include <string>

namespace platform {

// The fewest open files the window needs, a save and the toolkit's own
// included, with room to spare.
constexpr long kFewestOpenFiles = 64;

// Raises the soft limit of open files to the hard limit. Empty when that is
// at least kFewestOpenFiles; otherwise the one line that says the window
// cannot run.
std::string makeRoomForFiles();

}  // namespace platform
