#pragma once
// What the window shows of the brain: the layer on view, and where the grid
// sits on the surface.
#include "brain/sampling.h"

namespace window {

class View {
public:
    // viewLayer: 0 is the input layer.
    int layer() const { return layer_; }
    void setLayer(int layer) { layer_ = layer; }
    // originX, originY: the surface point of cell (0, 0).
    brain::Origin origin() const { return origin_; }
    // The grid of `side` cells in the middle of a surface, by the floor of
    // each half; only a size change or a load lays it out again.
    void layOut(int surfaceWidth, int surfaceHeight, int side)
    {
        origin_ = {surfaceWidth / 2 - side / 2, surfaceHeight / 2 - side / 2};
    }

private:
    int layer_ = 0;
    brain::Origin origin_;
};

}  // namespace window
