#include "generation_rows.h"

#include <cstdint>
#include <cstring>

#include "platform/cpu_features.h"

namespace brain {
namespace {

// Byte vectors: the compiler turns these into AVX-512, AVX2 or SSE2
// registers, as the function they are inlined into is built for.
using V64 = std::uint8_t __attribute__((vector_size(64)));
using V32 = std::uint8_t __attribute__((vector_size(32)));
using V16 = std::uint8_t __attribute__((vector_size(16)));

// Inlined always, so that each kernel below gets them built for its own
// instructions rather than calling one built for the baseline.
#define CEREBRIX_INLINE inline __attribute__((always_inline))

template <typename V>
CEREBRIX_INLINE V load(const std::uint8_t* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename V>
CEREBRIX_INLINE void store(std::uint8_t* p, V v)
{
    std::memcpy(p, &v, sizeof v);
}

// The sum of each cell and its left neighbour: u[x] + u[x - 1].
template <typename V>
CEREBRIX_INLINE V pairAt(const std::uint8_t* u, int x)
{
    return load<V>(u + x) + load<V>(u + x - 1);
}

// One row, x in [0, side), side >= the width: own value plus the pair sums
// of the two rows below it, u0 and u1. Whole vectors from the left; the last,
// partial vector is instead the final full-width window of the row, computed
// from the row's values before the loop changed any of them, and stored last.
template <typename V>
CEREBRIX_INLINE void oneRow(std::uint8_t* cur, const std::uint8_t* u0, const std::uint8_t* u1, int side)
{
    constexpr int w = int(sizeof(V));
    const int last = side - w;
    const V tail = load<V>(cur + last) + pairAt<V>(u0, last) + pairAt<V>(u1, last);
    int x = 0;
    for (; x + w <= side; x += w)
        store(cur + x, load<V>(cur + x) + pairAt<V>(u0, x) + pairAt<V>(u1, x));
    if (x < side)
        store(cur + last, tail);
}

// Rows [from, to) of a square of `side` cells a row, one channel, over the
// square below it (side + 1 cells a row, one row and one column more, both
// before this square's first), in vectors of V. Byte arithmetic wraps, which
// is exactly the remainder by 256.
//
// One row at a time. Two rows a pass, the pair sums of the row between them
// serving both (four loads a vector instead of five), was 2 to 5 % slower on
// one thread at N = 100 to 410; pair sums made from vertical sums shifted in
// registers (three loads) were no faster where the pyramid fits the cache.
// Loads are not what limits a row; which layer was written last is.
template <typename V>
CEREBRIX_INLINE void rowsIn(std::uint8_t* square, const std::uint8_t* under, int side, int from, int to)
{
    const std::size_t len = std::size_t(side), underLen = len + 1;
    for (int j = from; j < to; ++j) {
        // Cell i of row j lies over cell i + 1 of under rows j and j + 1.
        const std::uint8_t* upper = under + std::size_t(j) * underLen + 1;
        oneRow<V>(square + std::size_t(j) * len, upper, upper + underLen, side);
    }
}

// Rows narrower than the widest vector take the widest that fits them.
CEREBRIX_INLINE void narrowRows(std::uint8_t* square, const std::uint8_t* under, int side, int from, int to)
{
    if (side >= 16) {
        rowsIn<V16>(square, under, side, from, to);
        return;
    }
    const std::size_t len = std::size_t(side), underLen = len + 1;
    for (int j = from; j < to; ++j) {
        std::uint8_t* cur = square + std::size_t(j) * len;
        const std::uint8_t* upper = under + std::size_t(j) * underLen + 1;
        const std::uint8_t* lower = upper + underLen;
        for (int x = 0; x < side; ++x)
            cur[x] = std::uint8_t(cur[x] + lower[x] + lower[x - 1] + upper[x] + upper[x - 1]);
    }
}

using SquareRows = void (*)(std::uint8_t*, const std::uint8_t*, int, int, int);

void rows16(std::uint8_t* square, const std::uint8_t* under, int side, int from, int to)
{
    narrowRows(square, under, side, from, to);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void rows32(std::uint8_t* square, const std::uint8_t* under, int side, int from,
                                            int to)
{
    if (side >= 32)
        rowsIn<V32>(square, under, side, from, to);
    else
        narrowRows(square, under, side, from, to);
}

__attribute__((target("avx512bw"))) void rows64(std::uint8_t* square, const std::uint8_t* under, int side,
                                                int from, int to)
{
    if (side >= 64)
        rowsIn<V64>(square, under, side, from, to);
    else if (side >= 32)
        rowsIn<V32>(square, under, side, from, to);
    else
        narrowRows(square, under, side, from, to);
}
#endif

SquareRows rowsFor(platform::VectorWidth width)
{
#if defined(__x86_64__) || defined(__i386__)
    switch (width) {
    case platform::VectorWidth::Avx512:
        return rows64;
    case platform::VectorWidth::Avx2:
        return rows32;
    case platform::VectorWidth::Simd16:
    case platform::VectorWidth::Baseline:
        break;
    }
#else
    (void)width;
#endif
    return rows16;
}

}  // namespace

void layerRows(CellGrid& grid, int channel, int z, int rowFrom, int rowTo)
{
    const CellGrid::Square top = grid.square(z), under = grid.square(z - 1);
    rowsFor(platform::vectorWidth())(top.origin + channel * top.channelStride,
                                     under.origin + channel * under.channelStride, grid.size() - z, rowFrom - z,
                                     rowTo - z);
}

}  // namespace brain
