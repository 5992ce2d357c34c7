#pragma once
// The brain's cells: N layers of N x N cells, three 0..255 channels each.
// Only the pyramid is computed, shown or sampled (layer z's square of cells x,
// y in z..N-1), so only the pyramid is kept in one piece: per channel, layer
// after layer, each square row after row, so a generation walks memory in
// order and byte arithmetic gives "mod 256" free. The cells outside it, which
// a loaded file may still bring, are kept apart, and only once one is not 0.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace brain {

enum Channel : int { Red = 0, Green = 1, Blue = 2 };
constexpr int kChannels = 3;

// When a large grid's memory is handed over by the system.
enum class Pages {
    // All at allocation, in one go: the first generation then does not stall
    // on page faults.
    Populated,
    // As the cells are written: a load refused part way has cost no more
    // memory than the cells it read.
    OnDemand,
};

// The number of cells in the pyramid: 1^2 + 2^2 + ... + dim^2.
std::uint64_t sizeOfBrain(int dim);

class CellGrid {
public:
    // A grid of side n with every cell 0, or null when the memory cannot be
    // had (the caller refuses the size instead of crashing).
    static std::unique_ptr<CellGrid> allocate(int n, Pages pages = Pages::Populated) noexcept;
    // Bytes the pyramid of a grid of side n takes, three channels; 0 when
    // that overflows.
    static std::size_t bytesFor(int n) noexcept;

    ~CellGrid();
    CellGrid(const CellGrid&) = delete;
    CellGrid& operator=(const CellGrid&) = delete;

    int size() const { return n_; }

    // One channel's pyramid: sizeOfBrain(N) cells, layer 0 first. The three
    // channels lie one after the other, pyramidCells() apart.
    std::size_t pyramidCells() const { return pyramid_; }
    std::uint8_t* pyramid(int channel) { return data_ + std::size_t(channel) * pyramid_; }
    const std::uint8_t* pyramid(int channel) const { return data_ + std::size_t(channel) * pyramid_; }

    // Where layer z's square (the cells x, y in z..N-1 that a generation
    // computes) lies: cell (z + i, z + j) of channel c is at
    // origin + c * channelStride + j * rowStride + i, rows one after another.
    struct Square {
        std::uint8_t* origin;
        std::ptrdiff_t rowStride;
        std::ptrdiff_t channelStride;
    };
    Square square(int z) { return {data_ + layerStart(z), std::ptrdiff_t(n_ - z), std::ptrdiff_t(pyramid_)}; }

    // Row y (z <= y < N) of layer z's square: cell (z + i, y, z) at [i].
    std::uint8_t* squareRow(int channel, int y, int z) { return pyramid(channel) + rowStart(y, z); }
    const std::uint8_t* squareRow(int channel, int y, int z) const { return pyramid(channel) + rowStart(y, z); }

    // Any cell (x, y, z) in 0..N-1, inside the pyramid or not.
    std::uint8_t at(int channel, int x, int y, int z) const
    {
        if (x >= z && y >= z)
            return pyramid(channel)[rowStart(y, z) + std::size_t(x - z)];
        const std::uint8_t* out = outside(channel);
        return out ? out[outsideIndex(x, y, z)] : 0;
    }
    // Throws std::bad_alloc when a cell outside the pyramid is set to a
    // value other than 0 and the memory for those cells cannot be had.
    void set(int channel, int x, int y, int z, std::uint8_t v);

    // The cells outside the pyramid, in cube order (x fastest, then y, then
    // z), outsideCells() per channel, channel after channel; null while none
    // of them was ever set to anything but 0.
    std::size_t outsideCells() const { return outsideCells_; }
    const std::uint8_t* outside(int channel) const
    {
        const std::uint8_t* out = outside_.load(std::memory_order_acquire);
        return out ? out + std::size_t(channel) * outsideCells_ : nullptr;
    }
    // The same for writing, made (all 0) on first need; null when the memory
    // cannot be had. Several threads may ask at once. Its pages are taken
    // only as they are written.
    std::uint8_t* outsideForWriting(int channel) noexcept;

    // A stretch of cells that follow one another in cube order and also in
    // the pyramid (inPyramid) or among the cells outside it: `first` is the
    // place of the first one in pyramid() or outside(), `cells` how many.
    struct Stretch {
        bool inPyramid;
        std::size_t first;
        std::size_t cells;
    };
    // The stretch that starts at cell `cell` of the cube order (< N^3).
    Stretch stretchAt(std::uint64_t cell) const;

    // resetcells: every cell of every layer back to 0.
    void clear();

private:
    CellGrid(int n, std::uint8_t* data, std::size_t pyramid);
    // 1^2 + ... + k^2, in closed form.
    static std::size_t squaresUpTo(std::size_t k) { return k * (k + 1) * (2 * k + 1) / 6; }
    // Cells of one channel's pyramid before layer z.
    std::size_t layerStart(int z) const { return pyramid_ - squaresUpTo(std::size_t(n_ - z)); }
    std::size_t rowStart(int y, int z) const
    {
        return layerStart(z) + std::size_t(y - z) * std::size_t(n_ - z);
    }
    // Cells outside the pyramid before layer z, and the place of one of them.
    std::size_t outsideBefore(int z) const
    {
        return std::size_t(z) * std::size_t(n_) * std::size_t(n_) - layerStart(z);
    }
    std::size_t outsideIndex(int x, int y, int z) const
    {
        const std::size_t n = std::size_t(n_), zs = std::size_t(z);
        const std::size_t inLayer = y < z ? std::size_t(y) * n + std::size_t(x)
                                          : zs * n + std::size_t(y - z) * zs + std::size_t(x);
        return outsideBefore(z) + inLayer;
    }

    int n_;
    std::uint8_t* data_;
    std::size_t pyramid_;
    std::size_t outsideCells_;
    std::atomic<std::uint8_t*> outside_{nullptr};
    std::mutex outsideMaking_;
};

// Bytes this process can still take without being killed or pushed into
// swap: the least of MemAvailable and the room under every cgroup v2 memory
// limit from its own group up (page cache counts as room, as the system
// reclaims it first); the largest value when nothing can be told. Paths are
// read below `root`, so that a test can stage the files.
std::size_t memoryHeadroom(const std::string& root = "");

}  // namespace brain
