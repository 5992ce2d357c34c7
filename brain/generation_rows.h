#pragma once
// The inner loop of a generation: whole rows of one layer, in byte vectors.
#include "cell_grid.h"

namespace brain {

// Rows [rowFrom, rowTo) of layer z (z >= 1, z <= rowFrom) of one channel:
// each cell becomes its own value plus the 2 x 2 block below it, mod 256.
// Reads rows rowFrom - 1 .. rowTo - 1 of layer z - 1 and writes nothing
// outside its own rows, so threads may run disjoint rows of a layer at once.
void layerRows(CellGrid& grid, int channel, int z, int rowFrom, int rowTo);

}  // namespace brain
