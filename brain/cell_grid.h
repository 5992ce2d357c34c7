#pragma once
// The brain's cells: a cube of N x N x N cells, three 0..255 channels each.
// Each channel is one contiguous byte plane, x fastest, then y, then z, so a
// generation walks memory in order and byte arithmetic gives "mod 256" free.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace brain {

enum Channel : int { Red = 0, Green = 1, Blue = 2 };
constexpr int kChannels = 3;

// When a large grid's memory is handed over by the system.
enum class Pages {
    // All at allocation, in one go: the first generation then does not stall
    // on hundreds of thousands of page faults.
    Populated,
    // As the cells are written: a load refused part way has cost no more
    // memory than the cells it read. Written in order, they fault in as fast.
    OnDemand,
};

class CellGrid {
public:
    // A grid of side n with every cell 0, or null when the memory cannot be
    // had (the caller refuses the size instead of crashing).
    static std::unique_ptr<CellGrid> allocate(int n, Pages pages = Pages::Populated) noexcept;
    // Bytes a grid of side n needs; 0 when that overflows.
    static std::size_t bytesFor(int n) noexcept;

    ~CellGrid();
    CellGrid(const CellGrid&) = delete;
    CellGrid& operator=(const CellGrid&) = delete;

    int size() const { return n_; }
    std::size_t planeBytes() const { return plane_; }

    std::uint8_t* plane(int channel) { return data_ + std::size_t(channel) * plane_; }
    const std::uint8_t* plane(int channel) const { return data_ + std::size_t(channel) * plane_; }

    // Row y of layer z; x indexes into it directly.
    std::uint8_t* row(int channel, int y, int z) { return plane(channel) + offset(0, y, z); }
    const std::uint8_t* row(int channel, int y, int z) const { return plane(channel) + offset(0, y, z); }

    std::uint8_t at(int channel, int x, int y, int z) const { return plane(channel)[offset(x, y, z)]; }
    void set(int channel, int x, int y, int z, std::uint8_t v) { plane(channel)[offset(x, y, z)] = v; }

    // Where layer z's square (the cells x, y in z..N-1 that a generation
    // computes) lies: cell (z + i, z + j) of channel c is at
    // origin + c * channelStride + j * rowStride + i. Whatever way the grid
    // keeps its cells, a view through this sees and changes them in place.
    struct Square {
        std::uint8_t* origin;
        std::ptrdiff_t rowStride;
        std::ptrdiff_t channelStride;
    };
    Square square(int z)
    {
        return {plane(0) + offset(z, z, z), std::ptrdiff_t(n_), std::ptrdiff_t(plane_)};
    }

    // resetcells: every cell of every layer back to 0.
    void clear();

private:
    CellGrid(int n, std::uint8_t* data, std::size_t plane) : n_(n), data_(data), plane_(plane) {}
    // Grids from this size on are mapped from the system directly.
    static constexpr std::size_t kMapFrom = std::size_t(8) << 20;
    static void release(std::uint8_t* data, std::size_t bytes);
    std::size_t offset(int x, int y, int z) const
    {
        return (std::size_t(z) * std::size_t(n_) + std::size_t(y)) * std::size_t(n_) + std::size_t(x);
    }

    int n_;
    std::uint8_t* data_;
    std::size_t plane_;
};

// The number of cells in the pyramid: 1^2 + 2^2 + ... + dim^2.
std::uint64_t sizeOfBrain(int dim);

// Bytes this process can still take without being killed or pushed into
// swap: the least of MemAvailable and the room under every cgroup v2 memory
// limit from its own group up (page cache counts as room, as the system
// reclaims it first); the largest value when nothing can be told. Paths are
// read below `root`, so that a test can stage the files.
std::size_t memoryHeadroom(const std::string& root = "");

}  // namespace brain
