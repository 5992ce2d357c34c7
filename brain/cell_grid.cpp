#include "cell_grid.h"

#include <cstring>
#include <limits>
#include <new>

#include "grid_memory.h"

namespace brain {

std::uint64_t sizeOfBrain(int dim)
{
    std::uint64_t sum = 0;
    for (std::uint64_t k = dim > 0 ? std::uint64_t(dim) : 0; k >= 1; --k)
        sum += k * k;
    return sum;
}

namespace {

constexpr std::size_t kMost = std::numeric_limits<std::size_t>::max();

// n^3, or 0 when it overflows (as it then would for any grid of side n).
std::size_t cubeOf(int n)
{
    const std::size_t side = std::size_t(n);
    if (n < 1 || side > kMost / side || side * side > kMost / side || side * side * side > kMost / kChannels)
        return 0;
    return side * side * side;
}

}  // namespace

std::size_t CellGrid::bytesFor(int n) noexcept
{
    // The pyramid is a third of the cube and the cube must be countable too.
    return cubeOf(n) == 0 ? 0 : kChannels * squaresUpTo(std::size_t(n));
}

CellGrid::CellGrid(int n, std::uint8_t* data, std::size_t pyramid)
    : n_(n), data_(data), pyramid_(pyramid), outsideCells_(cubeOf(n) - pyramid)
{
}

std::unique_ptr<CellGrid> CellGrid::allocate(int n, Pages pages) noexcept
{
    const std::size_t bytes = bytesFor(n);
    if (bytes == 0)
        return nullptr;
    // Populated, a large brain has its pages handed over in one go: left to
    // fault in one by one (twice each: read, then written), they would stall
    // the first generation for several times as long.
    std::uint8_t* data = detail::takeZeroed(bytes, pages == Pages::Populated, true);
    if (!data)
        return nullptr;
    auto* grid = new (std::nothrow) CellGrid(n, data, bytes / kChannels);
    if (!grid) {
        detail::giveBack(data, bytes);
        return nullptr;
    }
    return std::unique_ptr<CellGrid>(grid);
}

CellGrid::~CellGrid()
{
    detail::giveBack(data_, pyramid_ * kChannels);
    detail::giveBack(outside_.load(), outsideCells_ * kChannels);
}

std::uint8_t* CellGrid::outsideForWriting(int channel) noexcept
{
    std::uint8_t* out = outside_.load(std::memory_order_acquire);
    if (!out) {
        std::lock_guard<std::mutex> lock(outsideMaking_);
        out = outside_.load(std::memory_order_relaxed);
        if (!out) {
            // Its pages come only as they are written, but a file may bring
            // them all: refused at once, as the pyramid is, when they could
            // not all be had.
            out = detail::takeZeroed(outsideCells_ * kChannels, false, true);
            if (!out)
                return nullptr;
            outside_.store(out, std::memory_order_release);
        }
    }
    return out + std::size_t(channel) * outsideCells_;
}

void CellGrid::set(int channel, int x, int y, int z, std::uint8_t v)
{
    if (x >= z && y >= z) {
        pyramid(channel)[rowStart(y, z) + std::size_t(x - z)] = v;
        return;
    }
    if (v == 0 && !outside(channel))
        return;  // already 0, and kept without memory
    std::uint8_t* out = outsideForWriting(channel);
    if (!out)
        throw std::bad_alloc();
    out[outsideIndex(x, y, z)] = v;
}

CellGrid::Stretch CellGrid::stretchAt(std::uint64_t cell) const
{
    const std::size_t n = std::size_t(n_);
    const std::size_t x = cell % n, y = cell / n % n, z = cell / n / n;
    if (z == 0)  // the input layer is all pyramid
        return {true, std::size_t(cell), n * n - std::size_t(cell)};
    const int xi = int(x), yi = int(y), zi = int(z);
    if (y < z)  // whole rows outside, then row z's first z cells
        return {false, outsideIndex(xi, yi, zi), (z - y) * n - x + z};
    if (x < z)
        return {false, outsideIndex(xi, yi, zi), z - x};
    return {true, rowStart(yi, zi) + (x - z), n - x};
}

void CellGrid::clear()
{
    std::memset(data_, 0, pyramid_ * kChannels);
    if (std::uint8_t* out = outside_.exchange(nullptr))
        detail::giveBack(out, outsideCells_ * kChannels);
}

}  // namespace brain
