#pragma once
// Reads the cell fields of a brain file on every core: the threads take turns
// at reading the next piece of the file, cut at its last field end, and each
// decodes the piece it read straight into the grid while the next one reads,
// so no core waits on a reading thread and the text is decoded where it was
// just read into the cache. The first fault in file order decides the
// outcome, and reading stops soon after one is found.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "brain/cell_grid.h"
#include "storage/read/field_scanner.h"

namespace storage::detail {

struct LoadTuning {
    // Reads start small, so that a file refused early costs little, and
    // double up to largestRead (which is also each buffer's size).
    std::size_t firstRead = std::size_t(64) << 10;
    std::size_t largestRead = std::size_t(1) << 20;
    // Threads that take turns with the caller; -1 for one per further core.
    // With 0 all runs on the caller.
    int workers = -1;
};

// The fields of every cell of `grid` (3 N^3 of them, all 0 in the grid so
// far) that follow what `scanner` has read, taking the rest of its current
// piece and then further bytes from `source`. `progress`, if set, is called
// on the calling thread after every read it makes.
FieldStatus loadCells(FieldScanner& scanner, ChunkSource& source, brain::CellGrid& grid, CellStop& stop,
                      const std::function<void()>& progress = {}, const LoadTuning& tuning = {});

}  // namespace storage::detail
