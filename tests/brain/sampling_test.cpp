// Sampling the canvases into the input layer, and showing a layer.
#include <gtest/gtest.h>

#include "brain/sampling.h"

namespace {

using platform::rgb;
using platform::Surface;

struct Scene {
    explicit Scene(int n, int w = 100, int h = 80) : grid(brain::CellGrid::allocate(n)), window(w, h, rgb(255, 255, 255))
    {
        canvases.cover(w, h);
    }
    std::unique_ptr<brain::CellGrid> grid;
    Surface window;
    brain::Canvases canvases;
};

TEST(Sampling, TakesTheCanvasesNotTheWindow)
{
    Scene s(10);
    const brain::Origin o{45, 35};
    s.canvases.setPoint(o.x + 3, o.y + 4, 200, 100, 50);
    s.window.setPoint(o.x + 3, o.y + 4, rgb(1, 2, 3));
    brain::sampleInput(*s.grid, s.canvases, s.window, o);
    EXPECT_EQ(s.grid->at(brain::Red, 3, 4, 0), 200);
    EXPECT_EQ(s.grid->at(brain::Green, 3, 4, 0), 100);
    EXPECT_EQ(s.grid->at(brain::Blue, 3, 4, 0), 50);
    EXPECT_EQ(s.grid->at(brain::Red, 4, 4, 0), 0);
    EXPECT_EQ(s.grid->at(brain::Red, 3, 4, 1), 0);  // only layer 0 changes
}

TEST(Sampling, CellsOffTheWindowKeepTheirValues)
{
    // The grid hangs over every edge of a small window.
    for (brain::Origin o : {brain::Origin{-3, 2}, brain::Origin{5, -4}, brain::Origin{12, 9}}) {
        Scene s(10, 16, 12);
        s.canvases.fillRect(0, 0, 15, 11, 7, 8, 9);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                s.grid->set(brain::Red, x, y, 0, 99);
        brain::sampleInput(*s.grid, s.canvases, s.window, o);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool on = s.window.inside(o.x + x, o.y + y);
                ASSERT_EQ(s.grid->at(brain::Red, x, y, 0), on ? 7 : 99) << o.x << "," << o.y << " " << x << "," << y;
            }
    }
}

TEST(Display, PaintsTheLayerSquareOnWindowAndCanvases)
{
    Scene s(10);
    const brain::Origin o{45, 35};
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            s.grid->set(brain::Red, x, y, 3, std::uint8_t(10 + x));
            s.grid->set(brain::Blue, x, y, 3, std::uint8_t(20 + y));
        }
    s.canvases.fillRect(0, 0, 99, 79, 5, 5, 5);
    brain::displayLayer(*s.grid, 3, s.window, s.canvases, o);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool square = x >= 3 && y >= 3;
            const auto px = o.x + x, py = o.y + y;
            ASSERT_EQ(s.window.point(px, py), square ? rgb(10 + x, 0, 20 + y) : rgb(255, 255, 255));
            ASSERT_EQ(s.canvases.plane[0].point(px, py), square ? platform::Colour(10 + x) : 5u);
            ASSERT_EQ(s.canvases.plane[1].point(px, py), square ? 0u : 5u);
        }
}

TEST(Display, TopLayerIsOnePixel)
{
    Scene s(10);
    s.grid->set(brain::Red, 9, 9, 9, 255);
    brain::displayLayer(*s.grid, 9, s.window, s.canvases, {0, 0});
    EXPECT_EQ(s.window.point(9, 9), rgb(255, 0, 0));
    EXPECT_EQ(s.window.point(8, 9), rgb(255, 255, 255));
    EXPECT_EQ(s.canvases.plane[0].point(9, 9), 255u);
    EXPECT_EQ(s.canvases.plane[2].point(9, 9), 0u);
}

TEST(Display, GridPartlyOffTheWindowIsClipped)
{
    Scene s(10, 8, 8);
    s.grid->set(brain::Green, 0, 0, 0, 77);
    brain::displayLayer(*s.grid, 0, s.window, s.canvases, {-2, 5});
    EXPECT_EQ(s.window.point(0, 5), 0u);
    EXPECT_EQ(s.canvases.plane[1].point(0, 5), 0u);
    s.grid->set(brain::Green, 2, 0, 0, 77);
    brain::displayLayer(*s.grid, 0, s.window, s.canvases, {-2, 5});
    EXPECT_EQ(s.window.point(0, 5), rgb(0, 77, 0));
}

}  // namespace
