#pragma once
// Maze play: the brain's output steers a one-pixel mover through the maze
// painted on the input layer, one generation per step.
namespace window { class Drawing; }

namespace commands {

// placemover: the mover to the point of the stroke under way (the P key).
void placemover(window::Drawing& d);
// mazestep: one step of play, run by the main loop.
void mazestep(window::Drawing& d);
// "Computer moves in maze" and "Playmode off".
void startPlay(window::Drawing& d);
void stopPlay(window::Drawing& d);

}  // namespace commands
