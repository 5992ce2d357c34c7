// The colour panel on a fake host: what opening shows and the four buttons.
#include <gtest/gtest.h>

#include "commands/install.h"
#include "tests/window/fake_window.h"

namespace {

using platform::rgb;
using namespace window::control;

// Each box is read on its own: a refused entry keeps that component only.
TEST(ColourPanel, Buttons)
{
    struct Row {
        const char* typed[3];
        const char* buttons;
        platform::Colour colour;  // after
    } rows[] = {
        {{"1", "2", "3"}, "click Command5", rgb(1, 2, 3)},
        {{"300", "4x", "-5"}, "click Command5", rgb(10, 4, 30)},
        {{"1", "2", "3"}, "click Command6", rgb(10, 20, 30)},
        {{"1", "2", "3"}, "click Command7;click Command5", rgb(128, 128, 128)},
        {{"1", "2", "3"}, "click Command8;click Command5", rgb(0, 0, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.buttons);
        FakeWindow w(commands::install);
        w.setColour(rgb(10, 20, 30));
        w.run("menu choosecolor");
        EXPECT_EQ(w.host.text(kRedBox) + ' ' + w.host.text(kGreenBox) + ' ' + w.host.text(kBlueBox), "10 20 30");
        EXPECT_TRUE(w.host.visible(kRedLabel) && w.host.visible(kColourZero));
        w.host.setText(kRedBox, row.typed[0]);
        w.host.setText(kGreenBox, row.typed[1]);
        w.host.setText(kBlueBox, row.typed[2]);
        w.run(row.buttons);
        EXPECT_EQ(w.colour(), row.colour);
        EXPECT_EQ(w.surface().point(60, 206), row.colour);
        EXPECT_FALSE(w.host.visible(kRedLabel) || w.host.visible(kColourZero));
    }
}

}  // namespace
