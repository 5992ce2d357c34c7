#include "generation.h"

#include <barrier>
#include <thread>

namespace brain {
namespace {

// Below this side a second thread costs more than it saves.
constexpr int kThreadedFrom = 160;

// cur[x] += below[x] + below[x-1] + above[x] + above[x-1] for x in [from, to).
// Byte arithmetic wraps, which is exactly the remainder by 256. Built for
// AVX2 and for the baseline, picked when the program starts.
__attribute__((target_clones("avx2", "default")))
void addBlockRow(std::uint8_t* __restrict cur, const std::uint8_t* __restrict below,
                 const std::uint8_t* __restrict above, int from, int to)
{
    for (int x = from; x < to; ++x)
        cur[x] = std::uint8_t(cur[x] + below[x] + below[x - 1] + above[x] + above[x - 1]);
}

// Rows [rowFrom, rowTo) of layer z, every channel.
void layerRows(CellGrid& grid, int z, int rowFrom, int rowTo)
{
    const int n = grid.size();
    for (int c = 0; c < kChannels; ++c)
        for (int y = rowFrom; y < rowTo; ++y)
            addBlockRow(grid.row(c, y, z), grid.row(c, y, z - 1), grid.row(c, y - 1, z - 1), z, n);
}

Apex apexOf(const CellGrid& grid)
{
    const int top = grid.size() - 1;
    return {grid.at(Red, top, top, top), grid.at(Green, top, top, top), grid.at(Blue, top, top, top)};
}

}  // namespace

Apex generateSingleThreaded(CellGrid& grid)
{
    const int n = grid.size();
    for (int z = 1; z < n; ++z)
        layerRows(grid, z, z, n);
    return apexOf(grid);
}

Apex generate(CellGrid& grid)
{
    const int n = grid.size();
    if (n < kThreadedFrom || std::thread::hardware_concurrency() < 2)
        return generateSingleThreaded(grid);

    // Each layer needs the whole layer below, so the two halves of a layer
    // meet at a barrier before the next layer starts.
    std::barrier sync(2);
    auto half = [&](int part) {
        for (int z = 1; z < n; ++z) {
            const int mid = z + (n - z) / 2;
            if (part == 0)
                layerRows(grid, z, z, mid);
            else
                layerRows(grid, z, mid, n);
            sync.arrive_and_wait();
        }
    };
    std::thread helper(half, 1);
    half(0);
    helper.join();
    return apexOf(grid);
}

}  // namespace brain
