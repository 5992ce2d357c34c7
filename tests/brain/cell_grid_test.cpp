#include <gtest/gtest.h>

#include "brain/cell_grid.h"

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
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = 0; i < grid->planeBytes(); ++i)
            ASSERT_EQ(grid->plane(c)[i], 0);
    grid->set(brain::Green, 6, 6, 6, 9);
    grid->set(brain::Red, 0, 0, 0, 255);
    grid->clear();
    EXPECT_EQ(grid->at(brain::Green, 6, 6, 6), 0);
    EXPECT_EQ(grid->at(brain::Red, 0, 0, 0), 0);
}

TEST(CellGrid, ImpossibleSizesAreRefusedNotCrashed)
{
    for (int n : {0, -10, 2000000, 100000})
        EXPECT_EQ(brain::CellGrid::allocate(n), nullptr) << n;
}

}  // namespace
