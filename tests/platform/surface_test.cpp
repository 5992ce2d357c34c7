// Exact pixel coverage of the drawing operations, and read-back.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <span>
#include <tuple>

#include "platform/keymap.h"
#include "platform/surface.h"

namespace {

using platform::Surface;
using Points = std::set<std::pair<int, int>>;

constexpr platform::Colour kInk = 0x123456;

Points painted(const Surface& s)
{
    Points p;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.point(x, y) == kInk)
                p.insert({x, y});
    return p;
}

TEST(Surface, FillIncludesBothCornersInEitherOrderAndOutlineIsTheBorder)
{
    for (auto [x1, y1, x2, y2] : {std::array{2, 3, 4, 5}, {4, 5, 2, 3}, {4, 3, 2, 5}, {6, 6, 6, 6}}) {
        Surface s(10, 10);
        s.fillRect(x1, y1, x2, y2, kInk);
        EXPECT_EQ(painted(s).size(), std::size_t((std::abs(x2 - x1) + 1) * (std::abs(y2 - y1) + 1)));
    }
    Surface s(12, 12);
    s.outline(5, 4, 1, 1, kInk);
    EXPECT_EQ(painted(s).size(), std::size_t(2 * 5 + 2 * 2));
    EXPECT_EQ(s.point(3, 2), 0u);
}

struct LineCase {
    int x1, y1, x2, y2;
    Points expected;
};

TEST(Surface, LineIncludesFirstPointAndLeavesOutSecond)
{
    const LineCase cases[] = {
        {3, 3, 4, 4, {{3, 3}}},                        // the one-point line that sets a pixel
        {3, 3, 3, 3, {}},                              // no length, no point
        {1, 2, 5, 2, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},  // horizontal
        {5, 2, 1, 2, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},  // backwards
        {2, 6, 2, 3, {{2, 6}, {2, 5}, {2, 4}}},        // vertical, upwards
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},        // diagonal
        {0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},  // shallow
    };
    for (const auto& c : cases) {
        Surface s(10, 10);
        s.line(c.x1, c.y1, c.x2, c.y2, kInk);
        EXPECT_EQ(painted(s), c.expected) << c.x1 << "," << c.y1 << " to " << c.x2 << "," << c.y2;
    }
}

TEST(Surface, OffSurfaceWritesDoNothingAndReadsAreNotBlack)
{
    Surface s(4, 3);
    s.setPoint(-1, 0, kInk);
    s.setPoint(4, 0, kInk);
    s.fillRect(-5, -5, -1, 10, kInk);
    s.line(-3, 1, 9, 1, kInk);  // crosses the surface: only the inside points
    EXPECT_EQ(painted(s).size(), 4u);
    for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, 3}, {0, -1}, {1 << 30, 0}})
        EXPECT_EQ(s.point(x, y), platform::kOffSurface);
    EXPECT_NE(platform::kOffSurface, 0u);
}

TEST(Surface, ResizeEitherWayLosesNothing)
{
    Surface s(6, 6, 0xFFFFFF);
    s.setPoint(5, 5, kInk);
    s.resize(3, 3, 0xFFFFFF);
    EXPECT_EQ(s.point(5, 5), platform::kOffSurface);
    s.resize(8, 9, 0xFFFFFF);
    EXPECT_EQ(s.point(5, 5), kInk);
    EXPECT_EQ(s.point(7, 8), 0xFFFFFFu);
}

// Whatever the hot loops write through a row lands in the area the display
// repaints, from a clean start and added to what was changed before.
TEST(Surface, RowWritesAreMarkedForTheDisplay)
{
    struct Case {
        platform::Rect before;  // changed already, empty for none
        int y, x1, x2;
        platform::Rect dirty;
    };
    const Case cases[] = {
        {{}, 3, 2, 5, {2, 3, 5, 3}},
        {{}, 0, 7, 7, {7, 0, 7, 0}},
        {{1, 6, 1, 6}, 2, 4, 8, {1, 2, 8, 6}},
    };
    for (const Case& c : cases) {
        Surface s(10, 10);
        s.takeDirty();
        if (!c.before.empty())
            s.setPoint(c.before.left, c.before.top, 0);
        const std::span<platform::Colour> row = s.changeRow(c.y, c.x1, c.x2);
        std::fill(row.begin(), row.end(), kInk);
        const platform::Rect d = s.takeDirty();
        const platform::Rect& want = c.dirty;
        EXPECT_EQ(std::tuple(d.left, d.top, d.right, d.bottom),
                  std::tuple(want.left, want.top, want.right, want.bottom))
            << "row " << c.y;
        EXPECT_EQ(painted(s).size(), std::size_t(c.x2 - c.x1 + 1));
        EXPECT_EQ(s.point(c.x1, c.y), kInk);
        EXPECT_EQ(s.point(c.x2, c.y), kInk);
    }
}

TEST(KeyMap, DesignCodes)
{
    struct Case {
        int qtKey;
        bool keypad;
        int code;
    };
    // Qt key numbers: letters are their ASCII codes; Return 0x01000004, Enter 0x01000005.
    const Case cases[] = {{'A', false, 65}, {'X', false, 88}, {'Z', false, 90}, {0x01000004, false, 13},
                          {0x01000005, true, 13}, {'=', false, 187}, {'+', false, 187}, {'-', false, 189},
                          {'_', false, 189}, {'+', true, 107}, {'-', true, 109}, {'5', false, 53}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::virtualKeyCode(c.qtKey, c.keypad), c.code) << c.qtKey;
}

}  // namespace
