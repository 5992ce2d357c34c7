#pragma once
// One generation of the brain: every cell of layers 1 and up becomes its own
// previous value plus the 2 x 2 block below it, mod 256, channel by channel.
#include "cell_grid.h"

namespace brain {

struct Apex {
    int red = 0, green = 0, blue = 0;
    int value() const { return (red + green + blue) % 256; }
};

// Computes layers 1..N-1 in place and returns the apex cell (N-1, N-1, N-1).
// Uses as many threads as pay for this size right now (see automaticThreads);
// the result never depends on the count.
Apex generate(CellGrid& grid);

// The same pass on `threads` threads (fewer than 1 counts as 1). When a thread
// cannot be started, the ones that did start do its share.
Apex generate(CellGrid& grid, int threads);

// The same pass on the calling thread alone.
Apex generateSingleThreaded(CellGrid& grid);

// The count generate(grid) uses for a grid of side n: one below the size where
// a second thread pays, else one per core of this process that no other
// runnable thread of the system is using at this moment.
int automaticThreads(int n);

// Threads this process may use (platform::usableThreads).
int coresAvailable();

}  // namespace brain
