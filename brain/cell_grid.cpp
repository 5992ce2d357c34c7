#include "cell_grid.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace brain {

std::size_t CellGrid::bytesFor(int n) noexcept
{
    if (n < 1)
        return 0;
    const std::size_t side = std::size_t(n);
    const std::size_t max = std::numeric_limits<std::size_t>::max();
    if (side > max / side || side * side > max / side || side * side * side > max / kChannels)
        return 0;
    return side * side * side * kChannels;
}

std::unique_ptr<CellGrid> CellGrid::allocate(int n) noexcept
{
    const std::size_t bytes = bytesFor(n);
    if (bytes == 0)
        return nullptr;
    // calloc hands large blocks over as fresh zero pages: no clearing pass.
    auto* data = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (!data)
        return nullptr;
    auto* grid = new (std::nothrow) CellGrid(n, data, bytes / kChannels);
    if (!grid) {
        std::free(data);
        return nullptr;
    }
    return std::unique_ptr<CellGrid>(grid);
}

CellGrid::~CellGrid()
{
    std::free(data_);
}

void CellGrid::clear()
{
    std::memset(data_, 0, plane_ * kChannels);
}

std::uint64_t sizeOfBrain(int dim)
{
    std::uint64_t sum = 0;
    for (std::uint64_t k = dim > 0 ? std::uint64_t(dim) : 0; k >= 1; --k)
        sum += k * k;
    return sum;
}

}  // namespace brain
