// The brain object: re-allocation when a size change is pending, the
// callers' options, and sizes whose memory cannot be had.
#include <gtest/gtest.h>

#include <vector>

#include "brain/brain.h"

namespace {

using brain::GenerationResult;

// A picture on canvases of 40 x 40 with red 1 on input cell (0, 0).
struct Scene {
    brain::Canvases canvases;
    platform::Surface window{40, 40};
    Scene()
    {
        canvases.cover(40, 40);
        canvases.setPoint(0, 0, 1, 0, 0);
    }
    brain::Picture picture() const { return {canvases, window, {0, 0}}; }
};

TEST(Brain, OptionsDecideWhatAGenerationDoes)
{
    struct Row {
        const char* name;
        brain::GenerationOptions options;
        bool painted;  // since the last generation
        GenerationResult result;
        int input;  // red of input cell (0, 0) after
    } rows[] = {
        {"plain", {}, false, GenerationResult::Generated, 1},
        {"no sampling", {.sample = false}, false, GenerationResult::Generated, 0},
        {"nothing painted", {.onlyIfInputChanged = true}, false, GenerationResult::Sampled, 1},
        {"painted", {.onlyIfInputChanged = true}, true, GenerationResult::Generated, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Scene s;
        brain::Brain b;
        b.start(10);
        EXPECT_TRUE(b.reallocationPending());
        if (row.painted)
            b.markInputChanged();
        EXPECT_EQ(b.generate(s.picture(), row.options), row.result);
        EXPECT_FALSE(b.reallocationPending());
        EXPECT_FALSE(b.inputChanged() && row.result == GenerationResult::Generated);
        ASSERT_NE(b.cellsOfSide(), nullptr);
        EXPECT_EQ(b.cells()->at(brain::Red, 0, 0, 0), row.input);
    }
}

// Grids from a fake allocator that refuses sides from 50 on.
TEST(Brain, ARefusedSizeKeepsTheArraysSetAside)
{
    std::vector<int> asked;
    std::vector<const brain::CellGrid*> made;
    brain::Brain b([&](int side) {
        asked.push_back(side);
        auto grid = side < 50 ? brain::CellGrid::allocate(side) : nullptr;
        made.push_back(grid.get());
        return grid;
    });
    Scene s;
    b.start(30);
    EXPECT_TRUE(b.resize(40));
    EXPECT_EQ(b.cellsOfSide(), nullptr);  // the cells are still of side 30
    EXPECT_FALSE(b.resize(50));
    EXPECT_EQ(std::pair(b.side(), b.reallocationPending()), std::pair(40, true));
    EXPECT_EQ(b.generate(s.picture()), GenerationResult::Generated);
    EXPECT_EQ(asked, std::vector<int>({30, 40, 50}));
    EXPECT_EQ(b.cellsOfSide(), made[1]);
}

// The real allocator: some 47 TB is more than any machine has.
TEST(Brain, ASizeBeyondMemoryIsRefused)
{
    brain::Brain b;
    b.start(30);
    EXPECT_FALSE(b.resize(25'000));
    EXPECT_EQ(std::pair(b.side(), b.cells()->size()), std::pair(30, 30));
}

TEST(Brain, ALoadedBrainNeedsNoReallocation)
{
    brain::Brain b;
    b.start(30);
    b.resize(40);
    auto grid = brain::CellGrid::allocate(20);
    const brain::CellGrid* loaded = grid.get();
    b.takeUp(std::move(grid));
    EXPECT_EQ(std::pair(b.side(), b.cellsOfSide()), std::pair(20, loaded));
    Scene s;
    b.generate(s.picture());
    EXPECT_EQ(b.cells(), loaded);  // not the arrays once set aside for 40
}

}  // namespace
