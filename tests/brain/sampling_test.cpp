// Sampling the canvases into the input layer, and showing a layer.
#include <gtest/gtest.h>

#include "brain/sampling.h"

namespace {

using platform::rgb;
constexpr platform::Colour kWhite = rgb(255, 255, 255);

struct Scene {
    explicit Scene(int w = 100, int h = 80) : grid(brain::CellGrid::allocate(10)), window(w, h, kWhite)
    {
        canvases.cover(w, h);
    }
    std::unique_ptr<brain::CellGrid> grid;
    platform::Surface window;
    brain::Canvases canvases;
};

TEST(Sampling, TakesTheCanvasesNotTheWindowAndOnlyLayerZero)
{
    Scene s;
    s.canvases.setPoint(48, 39, 200, 100, 50);
    s.window.setPoint(48, 39, rgb(1, 2, 3));
    brain::sampleInput(*s.grid, s.canvases, s.window, {45, 35});
    EXPECT_EQ(s.grid->at(brain::Red, 3, 4, 0), 200);
    EXPECT_EQ(s.grid->at(brain::Green, 3, 4, 0), 100);
    EXPECT_EQ(s.grid->at(brain::Blue, 3, 4, 0), 50);
    EXPECT_EQ(s.grid->at(brain::Red, 4, 4, 0), 0);
    EXPECT_EQ(s.grid->at(brain::Red, 3, 4, 1), 0);
}

TEST(Sampling, CellsOffTheWindowKeepTheirValues)
{
    // The grid hangs over the left, top and right and bottom edges in turn.
    for (brain::Origin o : {brain::Origin{-3, 2}, brain::Origin{5, -4}, brain::Origin{12, 9}}) {
        Scene s(16, 12);
        s.canvases.fillRect(0, 0, 15, 11, 7, 8, 9);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                s.grid->set(brain::Red, x, y, 0, 99);
        brain::sampleInput(*s.grid, s.canvases, s.window, o);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(s.grid->at(brain::Red, x, y, 0), s.window.inside(o.x + x, o.y + y) ? 7 : 99)
                    << o.x << "," << o.y << " " << x << "," << y;
    }
}

TEST(Display, PaintsOnlyTheLayerSquareOnWindowAndCanvases)
{
    for (int z : {0, 3, 9}) {
        Scene s;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                s.grid->set(brain::Red, x, y, z, std::uint8_t(10 + x));
                s.grid->set(brain::Blue, x, y, z, std::uint8_t(20 + y));
            }
        s.canvases.fillRect(0, 0, 99, 79, 5, 5, 5);
        brain::displayLayer(*s.grid, z, s.window, s.canvases, {45, 35});
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool square = x >= z && y >= z;
                ASSERT_EQ(s.window.point(45 + x, 35 + y), square ? rgb(10 + x, 0, 20 + y) : kWhite);
                ASSERT_EQ(s.canvases.plane(0).point(45 + x, 35 + y), square ? platform::Colour(10 + x) : 5u);
                ASSERT_EQ(s.canvases.plane(1).point(45 + x, 35 + y), square ? 0u : 5u);
            }
    }
}

TEST(Display, GridPartlyOffTheWindowIsClipped)
{
    Scene s(8, 8);
    s.grid->set(brain::Green, 2, 0, 0, 77);
    brain::displayLayer(*s.grid, 0, s.window, s.canvases, {-2, 5});
    EXPECT_EQ(s.window.point(0, 5), rgb(0, 77, 0));
    EXPECT_EQ(s.canvases.plane(1).point(0, 5), 77u);
    EXPECT_EQ(s.window.point(7, 7), 0u);
}

}  // namespace
