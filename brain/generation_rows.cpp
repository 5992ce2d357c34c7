#include "generation_rows.h"

#include <cstdint>
#include <cstring>

namespace brain {
namespace {

// Byte vectors: the compiler turns these into AVX2 or SSE2 registers.
using V32 = std::uint8_t __attribute__((vector_size(32)));
using V16 = std::uint8_t __attribute__((vector_size(16)));

template <typename V>
inline V load(const std::uint8_t* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename V>
inline void store(std::uint8_t* p, V v)
{
    std::memcpy(p, &v, sizeof v);
}

// The new value of cur[x .. x + width): own value plus the 2 x 2 block below.
template <typename V>
inline V cellsAt(const std::uint8_t* cur, const std::uint8_t* below, const std::uint8_t* above, int x)
{
    return load<V>(cur + x) + load<V>(below + x) + load<V>(below + x - 1) + load<V>(above + x) +
           load<V>(above + x - 1);
}

// One row, x in [from, to). Whole vectors from the left; the last, partial
// vector is instead the final full-width window of the row, computed from
// the row's values before the loop changed any of them, and stored last.
template <typename V>
inline void vectorRow(std::uint8_t* cur, const std::uint8_t* below, const std::uint8_t* above, int from, int to)
{
    constexpr int w = int(sizeof(V));
    const V tail = cellsAt<V>(cur, below, above, to - w);
    int x = from;
    for (; x + w <= to; x += w)
        store(cur + x, cellsAt<V>(cur, below, above, x));
    if (x < to)
        store(cur + to - w, tail);
}

// Rows [from, to) of a square of `side` cells a row, one channel, over the
// square below it (side + 1 cells a row, one row and one column more, both
// before this square's first). Byte arithmetic wraps, which is exactly the
// remainder by 256. Built for AVX2 and for the baseline, picked when the
// program starts.
#if defined(__SANITIZE_THREAD__)
#define CEREBRIX_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define CEREBRIX_TSAN 1
#endif
#endif
#ifndef CEREBRIX_TSAN  // the picker runs before the thread sanitizer is set up
__attribute__((target_clones("avx2", "default")))
#endif
void squareRows(std::uint8_t* square, const std::uint8_t* under, int side, int from, int to)
{
    const std::size_t len = std::size_t(side), underLen = len + 1;
    for (int j = from; j < to; ++j) {
        std::uint8_t* cur = square + std::size_t(j) * len;
        // Cell i of the row lies over cell i + 1 of two rows below.
        const std::uint8_t* lower = under + (std::size_t(j) + 1) * underLen + 1;
        const std::uint8_t* upper = lower - underLen;
        if (side >= 32) {
            vectorRow<V32>(cur, lower, upper, 0, side);
        } else if (side >= 16) {
            vectorRow<V16>(cur, lower, upper, 0, side);
        } else {
            for (int x = 0; x < side; ++x)
                cur[x] = std::uint8_t(cur[x] + lower[x] + lower[x - 1] + upper[x] + upper[x - 1]);
        }
    }
}

}  // namespace

void layerRows(CellGrid& grid, int channel, int z, int rowFrom, int rowTo)
{
    const CellGrid::Square top = grid.square(z), under = grid.square(z - 1);
    squareRows(top.origin + channel * top.channelStride, under.origin + channel * under.channelStride,
               grid.size() - z, rowFrom - z, rowTo - z);
}

}  // namespace brain
