// The bytes a save produces, and that loading them gives the brain back.
#include <gtest/gtest.h>

#include <thread>

#include "tests/storage/brain_file_test_util.h"

namespace storage::test {
namespace {

constexpr WriteOptions kNoSync{false};

TEST(BrainFileFormat, SaveLoadSaveGivesTheSameBrainAndBytes)
{
    // Saved over the files of the size before, the second time by a bare name
    // as the Save panel gives it.
    ScratchDir dir;
    const InFolder working(dir.path);
    for (int n : {2, 3, 10, 100}) {  // 100 spans several pieces of reading and writing, on threads
        SCOPED_TRACE(n);
        const LoadedBrain saved{{.dimX = n, .dimY = n, .dimZ = n, .drawRed = 255, .drawGreen = 0, .drawBlue = 7,
                                 .moverX = -2147483647 - 1, .moverY = 2147483647, .moverStepY = -1, .moverStepX = 1},
                                patternGrid(n)};
        // Runs of zero cells of every length from 0 to 59, as the cells
        // outside the pyramid give them, here in one channel, there in all.
        for (std::uint64_t i = 0; i < gridcells::count(*saved.cells); ++i)
            for (int c = 0; c < 3; ++c)
                if (i % 97 < i / 97 % 60 && (c == 0 || i / 97 % 2 == 0))
                    gridcells::put(*saved.cells, c, i, 0);
        // Progress is told on the caller's thread, which may be the window's.
        int told = 0;
        const Progress progress = [&, caller = std::this_thread::get_id()] {
            told += std::this_thread::get_id() == caller ? 1 : 1000000;
        };
        LoadedBrain loaded;
        ASSERT_TRUE(writeBrainFile(dir.file("a.brain"), saved.header, *saved.cells, kNoSync, progress).ok);
        const FileResult r = readBrainFile(dir.file("a.brain"), loaded, progress);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_TRUE(sameBrain(loaded, saved));
        EXPECT_TRUE(told >= (n == 100 ? 10 : 2) && told < 1000000) << told;
        ASSERT_TRUE(writeBrainFile("b.brain", loaded.header, *loaded.cells, kNoSync).ok);
        EXPECT_TRUE(slurp(dir.file("a.brain")) == slurp(dir.file("b.brain")));  // no diff of megabytes
    }
}

// Cells outside the pyramid: no operation reads them, but a file that holds
// values there gets them back byte for byte, and where all are 0 (as in every
// file the program writes) they take no memory at all.
TEST(BrainFileFormat, CellsOutsideThePyramidComeBackAsTheyWere)
{
    ScratchDir dir;
    const struct {
        const char* what;
        int n;
        int every;  // every `every`-th field outside the pyramid is not 0; 0 for none
    } cases[] = {
        {"none", 10, 0}, {"none, several pieces", 100, 0}, {"one in a thousand", 100, 1000},
        {"all", 40, 1}, {"one in seven", 12, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string text = "10,10,10,128,128,128,0,0,1,1\r\n";
        text.replace(0, 8, std::to_string(c.n) + "," + std::to_string(c.n) + "," + std::to_string(c.n));
        int outsideNotZero = 0;
        for (int z = 0, f = 0; z < c.n; ++z)
            for (int y = 0; y < c.n; ++y)
                for (int x = 0; x < c.n; ++x)
                    for (int k = 0; k < 3; ++k, ++f) {
                        const bool outside = x < z || y < z;
                        const bool set = outside ? c.every > 0 && f % c.every == 0 : f % 5 != 0;
                        outsideNotZero += outside && set;
                        text += std::to_string(set ? 1 + f % 255 : 0) + "\r\n";
                    }
        LoadedBrain loaded;
        const FileResult r = readBrainText(text.data(), text.size(), loaded, "t.brain");
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(loaded.cells->outside(brain::Red) != nullptr, outsideNotZero > 0);
        ASSERT_TRUE(writeBrainFile(dir.file("t.brain"), loaded.header, *loaded.cells, kNoSync).ok);
        EXPECT_TRUE(slurp(dir.file("t.brain")) == text);
    }
}

TEST(BrainFileFormat, HeaderAndRecordNumbers)
{
    ScratchDir dir;
    auto grid = brain::CellGrid::allocate(30);
    ASSERT_TRUE(writeBrainFile(dir.file("s.brain"), BrainHeader{}, *grid, kNoSync).ok);
    EXPECT_EQ(slurp(dir.file("s.brain")).substr(0, 30), "30,30,30,128,128,128,0,0,1,1\r\n");

    const struct {
        int record, channel, x, y, z, value;
    } cells[] = {
        {2, brain::Red, 0, 0, 0, 1},    {5, brain::Red, 1, 0, 0, 255},      {32, brain::Red, 0, 1, 0, 32},
        {302, brain::Red, 0, 0, 1, 99}, {3001, brain::Blue, 9, 9, 9, 128},
    };
    grid = brain::CellGrid::allocate(10);
    std::vector<std::string> records(3001, "0");  // records[0] is record 1, the header
    records[0] = "10,10,10,200,0,64,3,4,-1,1";
    for (const auto& c : cells) {
        grid->set(c.channel, c.x, c.y, c.z, std::uint8_t(c.value));
        records[std::size_t(c.record - 1)] = std::to_string(c.value);
    }
    const BrainHeader header{.dimX = 10, .dimY = 10, .dimZ = 10, .drawRed = 200, .drawGreen = 0, .drawBlue = 64,
                             .moverX = 3, .moverY = 4, .moverStepY = -1, .moverStepX = 1};
    ASSERT_TRUE(writeBrainFile(dir.file("t.brain"), header, *grid, kNoSync).ok);
    std::string want;
    for (const std::string& r : records)
        want += r + "\r\n";
    EXPECT_EQ(slurp(dir.file("t.brain")), want);
}

}  // namespace
}  // namespace storage::test
