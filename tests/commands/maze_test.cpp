// Maze play on a fake host: placing the mover, one step by the D/H/V rule,
// play through the main loop, and a whole game from painting the maze to
// stopping.
#include <gtest/gtest.h>

#include <climits>

#include "commands/install.h"
#include "commands/maze.h"
#include "tests/window/fake_window.h"

namespace {

using platform::rgb;
using window::Point;

constexpr platform::Colour kWall = rgb(1, 0, 0);
// The mover's point is grey on the window and 128 on every canvas; a
// blanked one black and 0.
constexpr auto kMover = std::pair(rgb(128, 128, 128), rgb(128, 128, 128)), kBlank = std::pair(0u, 0u);

// An empty brain, generated once, whose apex then holds `output`: walls go
// on the window only, so every generation leaves it as it is.
void fixOutput(FakeWindow& w, int output)
{
    w.run("key Enter");
    w.d.brain().cells()->set(0, 29, 29, 29, std::uint8_t(output));
}

Point operator+(Point a, Point b)
{
    return {a.x + b.x, a.y + b.y};
}

TEST(Maze, Step)
{
    struct Row {
        int output;
        Point at, dir;
        const char* walls;  // of D, H, V as it steers
        Point moved;
    } rows[] = {
        {200, {10, 10}, {1, -1}, "", {1, 1}},
        {200, {10, 10}, {1, 1}, "V", {1, -1}},
        {100, {10, 10}, {1, 1}, "H", {-1, 1}},
        {200, {10, 10}, {-1, -1}, "HV", {0, 0}},
        {127, {10, 10}, {1, -1}, "D", {-1, 0}},  // 127 turns X
        {128, {10, 10}, {1, 1}, "DV", {1, 0}},   // 128 turns Y
        {0, {10, 10}, {-1, 1}, "DH", {0, 1}},
        {255, {10, 10}, {1, 1}, "DHV", {0, 0}},
        {200, {29, 10}, {1, -1}, "", {0, 1}},  // the right edge: white beyond the grid
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("output " + std::to_string(row.output) + ", walls " + row.walls);
        FakeWindow w(commands::install);
        fixOutput(w, row.output);
        w.d.mover().setPlace({row.at.x, row.at.y, row.dir.x, row.dir.y});
        const Point turned = row.output < 128 ? Point{-row.dir.x, row.dir.y} : Point{row.dir.x, -row.dir.y};
        const Point from = w.cell(row.at.x, row.at.y);
        for (const char* wall = row.walls; *wall; ++wall)
            w.surface().setPoint(from.x + (*wall == 'V' ? 0 : turned.x), from.y + (*wall == 'H' ? 0 : turned.y), kWall);
        commands::mazestep(w.d);
        const window::MoverPlace& m = w.d.mover().place();
        EXPECT_EQ((Point{m.x, m.y}), row.at + row.moved);
        EXPECT_EQ(w.colourAt(from + row.moved), kMover);
        if (row.moved != Point{}) {
            EXPECT_EQ(w.colourAt(from), kBlank);
        }
    }
}

// Output fixed at 200: every step turns the vertical direction, so on open
// ground the mover zigzags, one column per loop turn.
TEST(Maze, ZigzagThroughTheMainLoop)
{
    FakeWindow w(commands::install);
    fixOutput(w, 200);
    // Open ground beside the grid: there the mover never reaches the input.
    w.surface().fillRect(350, 100, 420, 140, 0);
    const brain::Origin o = w.d.view().origin();
    w.d.mover().moveTo(360 - o.x, 120 - o.y);
    w.d.menuChosen(window::menu::kComputerMoves);
    const window::MoverPlace& m = w.d.mover().place();
    for (int k = 1; k <= 8; ++k) {
        w.d.turn();
        EXPECT_EQ(w.cell(m.x, m.y), (Point{360 + k, k % 2 ? 119 : 120})) << "turn " << k;
    }
}

// A mover off the surface and past any pixel coordinate (as a brain file may
// hold) is blocked everywhere; a step and P blank and paint it without harm.
// P places only on the input layer.
TEST(Maze, MoverOffTheSurfaceAndPlacing)
{
    FakeWindow w(commands::install);
    w.d.mover().moveTo(INT_MAX, INT_MIN);
    commands::mazestep(w.d);
    const window::MoverPlace& m = w.d.mover().place();
    EXPECT_EQ((Point{m.x, m.y}), (Point{INT_MAX, INT_MIN}));
    w.run("press 4 4;release 4 4;key P");
    EXPECT_EQ((Point{m.x, m.y}), (Point{4, 4}));
    w.run("key X;press 6 6;key P");
    EXPECT_EQ((Point{m.x, m.y}), (Point{4, 4}));
}

// Paint a red box, place the mover in it during a press, play, stop.
TEST(Maze, WholeGame)
{
    FakeWindow w(commands::install);
    int steps = 0;
    w.d.setMazeStep([&] { ++steps, commands::mazestep(w.d); });
    w.setColour(rgb(255, 0, 0));
    w.run("press 5 5;drag 15 5;drag 15 15;drag 5 15;drag 5 5;release 5 5;press 8 9;key P;release 8 9;menu cmove");
    const window::MoverPlace& m = w.d.mover().place();
    bool moved = false;
    for (int turn = 0; turn < 200; ++turn) {
        w.d.turn();
        ASSERT_TRUE(m.x > 5 && m.x < 15 && m.y > 5 && m.y < 15);  // the walls hold
        moved |= Point{m.x, m.y} != Point{8, 9};
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(steps, 201);  // one step per loop turn

    // Keys act between steps; the About panel pauses play until a press.
    w.run("key A;menu about");
    const int paused = steps;
    w.settle(5);
    EXPECT_EQ(std::pair(w.d.pen().colour().red, steps), std::pair(254, paused));
    w.run("press;menu playoff");
    w.settle(5);
    EXPECT_EQ(steps, paused + 1);
    // Stopping took the picture as play left it into the input layer.
    EXPECT_EQ(int(w.d.brain().cells()->at(0, m.x, m.y, 0)), 128);
}

}  // namespace
