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
// Large grids are split over two threads; the result never depends on it.
Apex generate(CellGrid& grid);

// The same pass on one thread, kept callable for measuring the split.
Apex generateSingleThreaded(CellGrid& grid);

}  // namespace brain
