#include "generation_rows.h"

#include <cstdint>
#include <cstring>

namespace brain {
namespace {

// How many rows ahead the next rows' cells are fetched: about 6 KB at
// N = 410, enough to cover the memory's latency (3 rows took a third longer,
// 24 or 32 were no better).
constexpr int kPrefetchRows = 16;

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

// Rows [rowFrom, rowTo) of layer z of one channel plane. Byte arithmetic
// wraps, which is exactly the remainder by 256. Built for AVX2 and for the
// baseline, picked when the program starts.
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
void layerRowsOfPlane(std::uint8_t* plane, int n, int z, int rowFrom, int rowTo)
{
    const std::size_t side = std::size_t(n);
    for (int y = rowFrom; y < rowTo; ++y) {
        std::uint8_t* cur = plane + (std::size_t(z) * side + std::size_t(y)) * side;
        const std::uint8_t* below = cur - side * side;
        const std::uint8_t* above = below - side;
        const int len = n - z;
        // Rows are short runs at a long stride, which the hardware prefetcher
        // picks up late: ask for a row further on ahead of time, past rowTo
        // too, as the next rows of the layer are usually taken next.
        if (y + kPrefetchRows < n)
            for (int x = z; x < n; x += 64)
                __builtin_prefetch(cur + std::size_t(kPrefetchRows) * side + std::size_t(x), 1, 0);
        if (len >= 32) {
            vectorRow<V32>(cur, below, above, z, n);
        } else if (len >= 16) {
            vectorRow<V16>(cur, below, above, z, n);
        } else {
            for (int x = z; x < n; ++x)
                cur[x] = std::uint8_t(cur[x] + below[x] + below[x - 1] + above[x] + above[x - 1]);
        }
    }
}

}  // namespace

void layerRows(CellGrid& grid, int channel, int z, int rowFrom, int rowTo)
{
    layerRowsOfPlane(grid.plane(channel), grid.size(), z, rowFrom, rowTo);
}

}  // namespace brain
