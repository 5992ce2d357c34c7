#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "brain/cell_grid.h"
#include "tests/scratch_dir.h"

namespace {

TEST(CellGrid, SizeOfBrain)
{
    const std::pair<int, std::uint64_t> cases[] = {{1, 1}, {10, 385}, {30, 9455}, {40, 22140}, {410, 23057785}};
    for (auto [dim, size] : cases)
        EXPECT_EQ(brain::sizeOfBrain(dim), size) << dim;
}

TEST(CellGrid, FreshGridIsZeroAndClearResets)
{
    auto grid = brain::CellGrid::allocate(7);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->pyramidCells(), brain::sizeOfBrain(7));
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < grid->pyramidCells(); ++i)
            ASSERT_EQ(grid->pyramid(c)[i], 0);
    EXPECT_EQ(grid->outside(brain::Red), nullptr);
    grid->set(brain::Green, 6, 6, 6, 9);
    grid->set(brain::Red, 0, 0, 0, 255);
    grid->set(brain::Blue, 0, 6, 6, 7);  // outside the pyramid
    grid->clear();
    EXPECT_EQ(grid->at(brain::Green, 6, 6, 6), 0);
    EXPECT_EQ(grid->at(brain::Red, 0, 0, 0), 0);
    EXPECT_EQ(grid->at(brain::Blue, 0, 6, 6), 0);
    EXPECT_EQ(grid->outside(brain::Blue), nullptr);
}

// Every cell, inside the pyramid or outside it, keeps its own value; the
// squares and the stretches in cube order find the same cells as at().
TEST(CellGrid, EveryCellHasOnePlace)
{
    for (int n : {1, 2, 5, 12}) {
        SCOPED_TRACE(n);
        auto grid = brain::CellGrid::allocate(n);
        const auto value = [n](int c, int x, int y, int z) { return std::uint8_t(1 + c + 3 * (x + n * (y + n * z))); };
        // Cells outside the pyramid set to 0 take no memory.
        grid->set(brain::Green, 0, n - 1, n - 1, 0);
        EXPECT_EQ(grid->outside(brain::Green), nullptr);
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x)
                    for (int c = 0; c < 3; ++c)
                        grid->set(c, x, y, z, value(c, x, y, z));
        for (int z = 0; z < n; ++z) {
            const brain::CellGrid::Square sq = grid->square(z);
            for (int j = 0; j < n - z; ++j)
                for (int i = 0; i < n - z; ++i)
                    for (int c = 0; c < 3; ++c)
                        ASSERT_EQ(sq.origin[c * sq.channelStride + j * sq.rowStride + i], value(c, z + i, z + j, z));
        }
        const std::uint64_t cube = std::uint64_t(n) * std::uint64_t(n) * std::uint64_t(n);
        std::uint64_t cell = 0;
        while (cell < cube) {
            const brain::CellGrid::Stretch s = grid->stretchAt(cell);
            ASSERT_GT(s.cells, 0u);
            for (std::size_t k = 0; k < s.cells; ++k, ++cell) {
                const int x = int(cell % std::uint64_t(n)), y = int(cell / std::uint64_t(n) % std::uint64_t(n)),
                          z = int(cell / std::uint64_t(n) / std::uint64_t(n));
                ASSERT_EQ(s.inPyramid, x >= z && y >= z) << cell;
                for (int c = 0; c < 3; ++c) {
                    const std::uint8_t* store = s.inPyramid ? grid->pyramid(c) : grid->outside(c);
                    ASSERT_TRUE(store);
                    ASSERT_EQ(store[s.first + k], value(c, x, y, z)) << cell;
                    ASSERT_EQ(grid->at(c, x, y, z), value(c, x, y, z));
                }
            }
        }
        EXPECT_EQ(grid->pyramidCells() + grid->outsideCells(), cube);
    }
}

TEST(CellGrid, ImpossibleSizesAreRefusedNotCrashed)
{
    for (int n : {0, -10, 2000000, 100000})
        EXPECT_EQ(brain::CellGrid::allocate(n), nullptr) << n;
}

}  // namespace

namespace {

long residentKiB()
{
    std::ifstream in("/proc/self/statm");
    long size = 0, resident = 0;
    in >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// A large grid takes its memory at once, or only as it is written: a load
// that is refused early must not have cost the whole brain.
TEST(CellGrid, PagesArriveWhenAsked)
{
    const int n = 320;  // 33 MiB, mapped from the system
    const long whole = long(brain::CellGrid::bytesFor(n) / 1024);
    const struct {
        brain::Pages pages;
        long least, most;
    } cases[] = {
        {brain::Pages::Populated, whole - 1024, whole + 1024},
        {brain::Pages::OnDemand, 0, 1024},
    };
    for (const auto& c : cases) {
        const long before = residentKiB();
        auto grid = brain::CellGrid::allocate(n, c.pages);
        ASSERT_TRUE(grid);
        const long grown = residentKiB() - before;
        EXPECT_TRUE(grown >= c.least && grown <= c.most) << grown << " KiB";
        EXPECT_EQ(grid->at(brain::Blue, n - 1, n - 1, n - 1) | grid->at(brain::Red, 0, 0, 0), 0);
    }
}

// The room a large grid may take: MemAvailable, and the limit of every
// cgroup v2 group from the process's own up, less what the group uses
// beyond page cache. The files are staged in a scratch folder.
TEST(CellGrid, MemoryHeadroomTakesTheTightestLimit)
{
    const std::string mounts = "30 1 0:26 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n";
    const std::string stat = "anon 1\nactive_file 1000\ninactive_file 500\n";
    const struct {
        std::string name, cgroup, mountinfo, mem;
        std::vector<std::pair<std::string, std::string>> files;  // path below the root, contents
        std::size_t want;
    } cases[] = {
        {"no groups", "", "", "MemAvailable:  4 kB\n", {}, 4096},
        {"nothing known", "", "", "", {}, std::numeric_limits<std::size_t>::max()},
        {"own limit", "0::/app\n", mounts, "MemAvailable: 1000 kB\n",
         {{"sys/fs/cgroup/app/memory.max", "100000\n"}, {"sys/fs/cgroup/app/memory.current", "30000\n"},
          {"sys/fs/cgroup/app/memory.stat", stat}},
         71500},
        {"a session's limit two levels up", "0::/user/session/app\n", mounts, "MemAvailable: 1000 kB\n",
         {{"sys/fs/cgroup/user/session/app/memory.max", "max\n"}, {"sys/fs/cgroup/user/memory.max", "9000\n"},
          {"sys/fs/cgroup/user/memory.current", "4000\n"}, {"sys/fs/cgroup/memory.max", "6000\n"},
          {"sys/fs/cgroup/memory.current", "0\n"}},
         5000},
        {"over the limit", "1:memory:/x\n0::/app\n", mounts, "MemAvailable: 1000 kB\n",
         {{"sys/fs/cgroup/app/memory.max", "100\n"}, {"sys/fs/cgroup/app/memory.current", "9999\n"}}, 0},
        {"unlimited", "0::/app\n", mounts, "MemAvailable: 8 kB\n", {{"sys/fs/cgroup/app/memory.max", "max\n"}}, 8192},
        {"mounted from inside a namespace", "0::/outer/app\n", "30 1 0:26 /outer /sys/fs/cgroup rw - cgroup2 none rw\n",
         "", {{"sys/fs/cgroup/app/memory.max", "777\n"}, {"sys/fs/cgroup/app/memory.current", "0\n"}}, 777},
    };
    for (const auto& c : cases) {
        scratch::ScratchDir root;
        root.put("proc/self/cgroup", c.cgroup);
        root.put("proc/self/mountinfo", c.mountinfo);
        if (!c.mem.empty())
            root.put("proc/meminfo", c.mem);
        for (const auto& [path, text] : c.files)
            root.put(path, text);
        EXPECT_EQ(brain::memoryHeadroom(root.path), c.want) << c.name;
    }
}

}  // namespace
