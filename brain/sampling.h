#pragma once
// Between the brain and the picture: sampling the canvases into the input
// layer, and showing one layer on the window and back onto the canvases.
#include "canvases.h"
#include "cell_grid.h"

namespace brain {

// Where cell (0, 0) sits on the surfaces.
struct Origin {
    int x = 0, y = 0;
};

// inputvalues: layer 0 from the canvases. Cells whose pixel lies off the
// window's surface keep their values.
void sampleInput(CellGrid& grid, const Canvases& canvases, const platform::Surface& window, Origin origin);

// displaycells: the square of layer z onto the window, and its channels
// onto the canvases.
void displayLayer(const CellGrid& grid, int z, platform::Surface& window, Canvases& canvases, Origin origin);

// The grid square alone, at (0, 0), as the window shows layer z: the window
// clears to white before it shows another layer, so cells left of or above
// the layer's square stay white. Both must cover N x N.
void showLayerAlone(const CellGrid& grid, int z, platform::Surface& window, Canvases& canvases);

}  // namespace brain
