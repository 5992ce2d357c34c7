#pragma once
// The main loop as the browser allows it: the page may not block, so each
// animation frame runs turns for about 10 ms and then hands the page back.
#include <functional>

namespace platform::web {

// Runs `turn` once each frame, and again while `due` says more is waiting
// and the frame's time lasts. Returns at once; the turns go on from the page.
void runTurns(std::function<void()> turn, std::function<bool()> due);

}  // namespace platform::web
