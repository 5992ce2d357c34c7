#pragma once
// The brain as the window keeps it: its side, its cells, the arrays set aside
// for a size change not yet taken up, and the apex of the last generation.
// Its rule: the cells have the brain's side unless a re-allocation is pending.
#include <functional>
#include <memory>

#include "canvases.h"
#include "cell_grid.h"
#include "generation.h"
#include "sampling.h"

namespace brain {

// Where the painted picture lies: the canvases, read only where the window's
// surface reaches, with cell (0, 0) at `origin`.
struct Picture {
    const Canvases& canvases;
    const platform::Surface& window;
    Origin origin;
};

// How a caller's generation differs from the plain one (sample, generate).
struct GenerationOptions {
    // Enter on a higher layer: the canvases hold that layer, not the picture.
    bool sample = true;
    // X leaving the input layer only catches up with what was painted since.
    bool onlyIfInputChanged = false;
};

enum class GenerationResult {
    Refused,    // the arrays for a new size could not be had: nothing changed
    Sampled,    // the input was taken, no generation was due
    Generated,  // layers 1 and up and the apex are new
};

class Brain {
public:
    // Makes a grid of a side, or null when the memory cannot be had.
    using Allocator = std::function<std::unique_ptr<CellGrid>(int side)>;
    // The window's grids take their pages at once: see Pages::Populated.
    static std::unique_ptr<CellGrid> populated(int side) { return CellGrid::allocate(side, Pages::Populated); }
    explicit Brain(Allocator allocate = &populated);

    int side() const { return side_; }
    // needsRealloc: the arrays are allocated afresh before the next generation.
    bool reallocationPending() const { return pending_; }
    // The cells, of any side; null before start-up.
    const CellGrid* cells() const { return cells_.get(); }
    CellGrid* cells() { return cells_.get(); }
    // The cells only when they have the brain's side, as a save needs them.
    const CellGrid* cellsOfSide() const { return pending_ ? nullptr : cells_.get(); }
    const Apex& apex() const { return apex_; }
    // inputChanged: the input layer was painted since the last generation.
    bool inputChanged() const { return inputChanged_; }
    void markInputChanged() { inputChanged_ = true; }

    // Start-up: fresh arrays of `side`, every cell 0, and (as designed) a
    // re-allocation still pending before the first generation.
    void start(int side);
    // A size change: arrays for `side` are set aside now, so that a size whose
    // memory cannot be had is refused here, with nothing changed (arrays set
    // aside earlier included). The cells follow with the next generation.
    bool resize(int side);
    // A brain read whole from a file: its cells fit its side.
    void takeUp(std::unique_ptr<CellGrid> cells);

    // inputvalues alone: layer 0 from the picture.
    void sample(const Picture& picture);
    // The one generation every caller runs: re-allocate when pending, sample,
    // generate5; the pending flag is clear afterwards unless refused.
    GenerationResult generate(const Picture& picture, GenerationOptions options = {});

private:
    bool reallocate();

    Allocator allocate_;
    int side_ = 30;
    std::unique_ptr<CellGrid> cells_;
    std::unique_ptr<CellGrid> reserved_;
    bool pending_ = true;
    bool inputChanged_ = false;
    Apex apex_;
};

}  // namespace brain
