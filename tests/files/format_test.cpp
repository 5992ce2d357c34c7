// The bytes a save produces, and that loading them gives the brain back.
#include <gtest/gtest.h>

#include <cstring>

#include "files/brain_header.h"
#include "tests/files/brain_file_test_util.h"

namespace files::test {
namespace {

WriteOptions fast()
{
    return WriteOptions{false};
}

// The file split at CR LF; records[0] is record 1, the header.
std::vector<std::string> records(const std::string& bytes)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
    return out;
}

TEST(BrainFileFormat, RoundTripGivesSameBrainAndSameBytes)
{
    ScratchDir dir;
    for (int n : {2, 3, 10, 31, 64}) {
        SCOPED_TRACE(n);
        BrainHeader h = headerOfSize(n);
        h.drawRed = 255, h.drawGreen = 0, h.drawBlue = 7;
        h.moverX = -2147483647 - 1, h.moverY = 2147483647, h.moverStepY = -1, h.moverStepX = 1;
        auto grid = patternGrid(n, unsigned(n));
        const std::string first = dir.file("a.brain"), second = dir.file("b.brain");
        ASSERT_TRUE(writeBrainFile(first, h, *grid, fast()).ok);

        LoadedBrain loaded;
        const FileResult r = readBrainFile(first, loaded);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_TRUE(loaded.cells);
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(files::detail::headerField(loaded.header, i), files::detail::headerField(h, i));
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(0, std::memcmp(loaded.cells->plane(c), grid->plane(c), grid->planeBytes()));

        ASSERT_TRUE(writeBrainFile(second, loaded.header, *loaded.cells).ok);
        EXPECT_EQ(slurp(first), slurp(second));
    }
}

TEST(BrainFileFormat, HeaderBytes)
{
    ScratchDir dir;
    auto grid = brain::CellGrid::allocate(30);
    ASSERT_TRUE(writeBrainFile(dir.file("s.brain"), headerOfSize(30), *grid, fast()).ok);
    const std::string bytes = slurp(dir.file("s.brain"));
    EXPECT_EQ(bytes.substr(0, 30), "30,30,30,128,128,128,0,0,1,1\r\n");
    EXPECT_EQ(bytes.size(), 30u + 3u * 27000u * 3u);  // every cell record "0\r\n"

    BrainHeader h = headerOfSize(10);
    h.drawRed = 200, h.drawGreen = 0, h.drawBlue = 64;
    h.moverX = 3, h.moverY = 4, h.moverStepY = -1, h.moverStepX = 1;
    grid = brain::CellGrid::allocate(10);
    ASSERT_TRUE(writeBrainFile(dir.file("t.brain"), h, *grid, fast()).ok);
    EXPECT_EQ(records(slurp(dir.file("t.brain")))[0], "10,10,10,200,0,64,3,4,-1,1");
}

TEST(BrainFileFormat, RecordNumbersOfSizeTen)
{
    struct Case {
        int record, channel, x, y, z, value;
    };
    const Case cases[] = {
        {2, brain::Red, 0, 0, 0, 1},  {5, brain::Red, 1, 0, 0, 255},  {32, brain::Red, 0, 1, 0, 32},
        {302, brain::Red, 0, 0, 1, 99}, {3001, brain::Blue, 9, 9, 9, 128},
    };
    auto grid = brain::CellGrid::allocate(10);
    for (const Case& c : cases)
        grid->set(c.channel, c.x, c.y, c.z, std::uint8_t(c.value));
    ScratchDir dir;
    ASSERT_TRUE(writeBrainFile(dir.file("r.brain"), headerOfSize(10), *grid, fast()).ok);
    const std::vector<std::string> recs = records(slurp(dir.file("r.brain")));
    ASSERT_EQ(recs.size(), 3001u);
    int nonZero = 0;
    for (const std::string& r : recs)
        nonZero += r != "0";
    EXPECT_EQ(nonZero, 1 + int(std::size(cases)));  // the header and the cells set
    for (const Case& c : cases)
        EXPECT_EQ(recs[std::size_t(c.record - 1)], std::to_string(c.value)) << "record " << c.record;
}

}  // namespace
}  // namespace files::test
