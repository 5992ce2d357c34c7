#include "cell_grid.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace brain {
namespace {

// Memory the system could hand out now without swapping, in bytes; the
// largest value when it cannot tell.
std::size_t availableMemory()
{
    std::FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f)
        return std::numeric_limits<std::size_t>::max();
    char line[128];
    unsigned long long kib = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f))
        found = std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1;
    std::fclose(f);
    return found ? std::size_t(kib) * 1024 : std::numeric_limits<std::size_t>::max();
}

}  // namespace

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
    // Fresh pages from the system read as zero: no clearing pass. A large
    // brain has its pages handed over at once, in one go: left to fault in
    // one by one (twice each: read, then written), they would stall the
    // first generation for several times as long.
    std::uint8_t* data = nullptr;
    const bool mapped = bytes >= kMapFrom;
    if (mapped) {
        // Populating more than the machine has free would not fail here: the
        // system would kill the program later instead. Refuse it now.
        if (bytes > availableMemory())
            return nullptr;
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED)
            return nullptr;
        data = static_cast<std::uint8_t*>(p);
    } else {
        data = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
        if (!data)
            return nullptr;
    }
    auto* grid = new (std::nothrow) CellGrid(n, data, bytes / kChannels);
    if (!grid) {
        release(data, bytes);
        return nullptr;
    }
    return std::unique_ptr<CellGrid>(grid);
}

void CellGrid::release(std::uint8_t* data, std::size_t bytes)
{
    if (bytes >= kMapFrom)
        ::munmap(data, bytes);
    else
        std::free(data);
}

CellGrid::~CellGrid()
{
    release(data_, plane_ * kChannels);
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
