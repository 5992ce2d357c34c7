// The designed layout: every panel's controls exist once, and the file
// message stands where it hides nothing.
#include <gtest/gtest.h>

#include <map>

#include "window/layout.h"

namespace {

using platform::ControlSpec;
using window::Panel;

struct Rect {
    int left, top, right, bottom;  // inclusive
};

Rect rectOf(const ControlSpec& c)
{
    return {c.left, c.top, c.left + c.width - 1, c.top + c.height - 1};
}

bool overlap(Rect a, Rect b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

std::map<std::string, ControlSpec> design()
{
    std::map<std::string, ControlSpec> byName;
    for (const ControlSpec& c : window::controlDesign())
        EXPECT_TRUE(byName.emplace(c.name, c).second) << "twice: " << c.name;
    return byName;
}

TEST(Layout, PanelsAreMadeOfDesignedControls)
{
    const auto controls = design();
    for (Panel p : {Panel::About, Panel::Save, Panel::Load, Panel::Colour})
        for (const std::string& name : window::controlsOf(p))
            EXPECT_TRUE(controls.count(name)) << name;
}

// At the designed size with the default grid, on white: clear of the file
// panels' controls, the swatch and the grid.
TEST(Layout, FileMessageHidesNothing)
{
    const auto controls = design();
    const Rect message = rectOf(controls.at(window::control::kFileMessage));
    EXPECT_TRUE(message.left >= 0 && message.top >= 0 && message.right < window::kClientWidth &&
                message.bottom < window::kClientHeight);
    for (Panel p : {Panel::Save, Panel::Load})
        for (const std::string& name : window::controlsOf(p))
            EXPECT_FALSE(overlap(message, rectOf(controls.at(name)))) << name;
    const Rect swatch{10, 156, 110, 256}, grid{272, 191, 301, 220};
    EXPECT_FALSE(overlap(message, swatch));
    EXPECT_FALSE(overlap(message, grid));
}

}  // namespace
