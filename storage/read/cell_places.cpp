// The fields of the pyramid's cells are decoded straight into it. Those of
// the cells outside it, 0 in every file the program writes, are decoded into
// a small scratch block first, and only a block that holds a value other
// than 0 reaches (and, the first time, makes) the grid's store for them.
#include "storage/read/cell_places.h"

#include <cerrno>
#include <cstring>

namespace storage::detail {

namespace {

// Cells of the scratch block, per channel.
constexpr std::size_t kScratchCells = 2048;

bool allZero(const std::uint8_t* p, std::size_t bytes)
{
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + i, 8);
        any |= word;
    }
    for (; i < bytes; ++i)
        any |= p[i];
    return any == 0;
}

FieldStatus outOfMemory(std::uint64_t field, CellStop& stop)
{
    stop = CellStop{std::size_t(field / 3), int(field % 3), 0, 0, ENOMEM};
    return FieldStatus::ReadError;
}

// Fields [from, to) of a stretch outside the pyramid that starts at cell
// `cell` and at place `first` of the outside store.
FieldStatus readOutside(FieldScanner& scanner, brain::CellGrid& grid, std::uint64_t cell, std::size_t first,
                        std::uint64_t from, std::uint64_t to, CellStop& stop)
{
    alignas(16) std::uint8_t scratch[3][kScratchCells];
    while (from < to) {
        const std::uint64_t blockCell = from / 3;
        const std::uint64_t end = to < 3 * (blockCell + kScratchCells) ? to : 3 * (blockCell + kScratchCells);
        const std::size_t cells = std::size_t((end + 2) / 3 - blockCell);
        for (auto& channel : scratch)
            std::memset(channel, 0, cells);
        std::uint8_t* const planes[3] = {scratch[0], scratch[1], scratch[2]};
        if (const FieldStatus status = scanner.readFields(planes, 3 * blockCell, from, end - from, stop);
            status != FieldStatus::Ok)
            return status;
        if (!allZero(scratch[0], cells) || !allZero(scratch[1], cells) || !allZero(scratch[2], cells)) {
            // Field by field: the first and last cell's other channels may
            // belong to a neighbouring piece, decoded on another thread.
            for (std::uint64_t f = from; f < end; ++f) {
                const std::uint8_t v = scratch[f % 3][f / 3 - blockCell];
                if (v == 0)
                    continue;
                std::uint8_t* out = grid.outsideForWriting(int(f % 3));
                if (!out)
                    return outOfMemory(f, stop);
                out[first + std::size_t(f / 3 - cell)] = v;
            }
        }
        from = end;
    }
    return FieldStatus::Ok;
}

}  // namespace

FieldStatus readIntoGrid(FieldScanner& scanner, brain::CellGrid& grid, std::uint64_t first, std::uint64_t count,
                         CellStop& stop)
{
    const std::uint64_t last = first + count;
    for (std::uint64_t f = first; f < last;) {
        const std::uint64_t cell = f / 3;
        const brain::CellGrid::Stretch s = grid.stretchAt(cell);
        const std::uint64_t end = last < 3 * (cell + s.cells) ? last : 3 * (cell + s.cells);
        FieldStatus status;
        if (s.inPyramid) {
            std::uint8_t* const planes[3] = {grid.pyramid(0) + s.first, grid.pyramid(1) + s.first,
                                             grid.pyramid(2) + s.first};
            status = scanner.readFields(planes, 3 * cell, f, end - f, stop);
        } else {
            status = readOutside(scanner, grid, cell, s.first, f, end, stop);
        }
        if (status != FieldStatus::Ok)
            return status;
        f = end;
    }
    return FieldStatus::Ok;
}

bool putField(brain::CellGrid& grid, std::uint64_t field, std::uint8_t value)
{
    const brain::CellGrid::Stretch s = grid.stretchAt(field / 3);
    const int channel = int(field % 3);
    if (s.inPyramid) {
        grid.pyramid(channel)[s.first] = value;
        return true;
    }
    if (value == 0)
        return true;
    std::uint8_t* out = grid.outsideForWriting(channel);
    if (out)
        out[s.first] = value;
    return out != nullptr;
}

}  // namespace storage::detail
